#!/usr/bin/env bash
# Runs a command with the sanitizers set to fail on their first report:
# AddressSanitizer (leaks included), UndefinedBehaviorSanitizer. Allocations
# are traced through the frames of Qt, which has no frame pointers, so that a
# leak suppression can name the test it belongs to.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:${UBSAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
exec "$@"
