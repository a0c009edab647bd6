#!/usr/bin/env bash
# Includes between folders point one way: a folder of src/core or src/ui may
# include only the folders its CMakeLists.txt lists before it (and the core
# from the widgets). Prints each include that points back; exits 1 if any.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bad=0
check() {   # side, folders in order
    local side=$1; shift
    local -a order=("$@")
    local i j name folder target
    for ((i = 0; i < ${#order[@]}; i++)); do
        folder=${order[$i]}
        while IFS= read -r line; do
            target=${line#*#include \"}
            target=${target%%/*}
            for ((j = i + 1; j < ${#order[@]}; j++)); do
                if [[ $target == "${order[$j]}" ]]; then
                    echo "src/$side/$folder includes $target, which comes after it: $line"
                    bad=1
                fi
            done
        done < <(grep -rHn '^#include "[a-z]*/' "$top/src/$side/$folder" | sed "s|$top/||")
    done
}
folders() {   # the folder list of one CMakeLists.txt, in its order
    sed -n "/^set($1_folders/,/)/p" "$top/src/$2/CMakeLists.txt" | sed 's/#.*//; s/set([a-z_]*//; s/)//' | tr -s ' \n' '\n' | grep -v '^$'
}
mapfile -t core < <(folders core core)
mapfile -t ui < <(folders ui ui)
check core "${core[@]}"
check ui "${ui[@]}"
# The core never reaches into the widgets.
if grep -rn '^#include "\(widgets\|dialogs\|window\)/' "$top/src/core" "$top/src/batch"; then bad=1; fi
exit $bad
