#!/usr/bin/env bash
# Optional: the same two jobs by gLabels 3 (Debian `glabels`, a different
# program of the field) and by tavelo-batch, on this machine, in one run:
# one sheet of the largest card (20 different 1600 x 1200 bitmaps, 20
# captions) and a 1000-person merge (8 captions with fields and a logo per
# card, 125 sheets), both to PDF. `make bench` does not need it.
#
#   bench/compare-glabels.sh [BUILD]     # BUILD: where tavelo-bench was built (build-bench)
#
# Prints each job's wall and processor time (Tavelo's: the median of five
# runs), the file's size and the factors.
set -euo pipefail

build=${1:-build-bench}
batch=$build/src/batch/tavelo-batch
bench=$build/bench/tavelo-bench
for tool in glabels-3-batch xvfb-run iconv python3; do
  command -v "$tool" >/dev/null || { echo "compare-glabels: $tool is missing (apt-get install glabels xvfb)" >&2; exit 2; }
done
[ -x "$batch" ] && [ -x "$bench" ] || { echo "compare-glabels: build $build first (make bench)" >&2; exit 2; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
QT_QPA_PLATFORM=offscreen "$bench" inputs "$dir" 2>/dev/null
iconv -f CP932 -t UTF-8 "$dir/list1000.csv" > "$dir/list1000-utf8.csv"

# The same cards for gLabels: an 8-up A4 sheet of 91 x 55 mm cards.
python3 - "$dir" <<'EOF'
import os, sys
d = sys.argv[1]
template = '''<Template brand="Tavelo" part="card8" size="A4" description="8-up cards">
<Meta category="business-card"/>
<Label-rectangle id="0" width="91mm" height="55mm" round="0mm" x_waste="0mm" y_waste="0mm">
<Markup-margin size="0mm"/>
<Layout nx="2" ny="4" x0="14mm" y0="38.5mm" dx="91mm" dy="55mm"/>
</Label-rectangle>
</Template>'''
def document(objects, merge=''):
    return ('<?xml version="1.0"?>\n<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">\n' + template +
            '\n<Objects id="0" rotate="False">\n' + '\n'.join(objects) + '\n</Objects>\n' + merge + '</Glabels-document>\n')
matrix = 'a0="1" a1="0" a2="0" a3="1" a4="0" a5="0"'
def text(x, y, w, h, size, content):
    return (f'<Object-text x="{x}mm" y="{y}mm" w="{w}mm" h="{h}mm" justify="Left" valign="Top" auto_shrink="False" {matrix}>'
            f'<Span font_family="IPAMincho" font_size="{size}" font_weight="Normal" font_italic="False" '
            f'color="0x000000ff" line_spacing="1">{content}</Span></Object-text>')
pictures = sorted(f for f in os.listdir(d) if f.endswith('.bmp'))[:20]
objects = [f'<Object-image x="{(n % 5) * 18.2}mm" y="{(n // 5) * 13.75}mm" w="18.2mm" h="13.75mm" src="{d}/{p}" {matrix}/>'
           for n, p in enumerate(pictures)]
objects += [text(2, 2 + n * 2.6, 87, 2.6, 8, f'株式会社タベロ印刷 営業部 {n}') for n in range(20)]
open(os.path.join(d, 'largest.glabels'), 'w').write(document(objects))
fields = ['<Field name="氏名"/>', '<Field name="ふりがな"/>', '<Field name="部署"/> <Field name="役職"/>',
          'TEL <Field name="電話"/>', '携帯 <Field name="携帯"/>', '<Field name="メール"/>',
          '〒<Field name="郵便番号"/> <Field name="住所"/>', '社員番号 <Field name="社員番号"/>']
objects = [f'<Object-image x="60.8mm" y="2.1mm" w="26.5mm" h="15.9mm" src="{d}/{pictures[0]}" {matrix}/>']
objects += [text(2.6, 18.5 + n * 4.2, 84, 4.2, 9, f) for n, f in enumerate(fields)]
merge = f'<Merge type="Text/Comma/Line1Keys" src="{d}/list1000-utf8.csv"/>\n'
open(os.path.join(d, 'merge.glabels'), 'w').write(document(objects, merge))
EOF

# Wall and processor seconds of a command, and its output's size.
measure() {
  local out=$1; shift
  local start end cpu
  start=$(date +%s.%N)
  /usr/bin/time -o "$dir/time" -f '%U %S' "$@" >/dev/null 2>&1 || true
  cpu=$(tail -1 "$dir/time")
  end=$(date +%s.%N)
  python3 -c "import sys; w=float(sys.argv[2])-float(sys.argv[1]); u,s=map(float,sys.argv[3:5]); print(f'{w:.3f} {u+s:.3f} ' + sys.argv[5])" \
    "$start" "$end" $cpu "$(stat -c %s "$out" 2>/dev/null || echo 0)"
}

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-28s %10s %10s %12s\n' job "wall s" "cpu s" "bytes"
declare -A result
# name, timed runs, output, command...: one untimed run (file and font
# caches), then the median (by wall time) of the timed runs. A job of a
# few tenths of a second swings with the machine from one run to the next;
# one of a minute does not, and runs once.
run() {
  local name=$1 runs=$2 out=$3; shift 3
  "$@" >/dev/null 2>&1 || true
  local n
  for ((n = 0; n < runs; ++n)); do measure "$out" "$@"; done > "$dir/runs"
  result[$name]=$(sort -n "$dir/runs" | sed -n "$(( (runs + 1) / 2 ))p")
  printf '%-28s %10s %10s %12s\n' "$name" ${result[$name]}
}
# Both programs keep their settings in the run's folder: gLabels saves the
# card's template among the user's own, and neither should touch the user's.
export XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/state"
run "tavelo sheet" 5 "$dir/t.pdf" "$batch" print "$dir/largest.tvl" -o "$dir/t.pdf" --dpi 600 --screen-dpi 96
run "glabels sheet" 1 "$dir/g.pdf" xvfb-run -a glabels-3-batch -o "$dir/g.pdf" "$dir/largest.glabels"
run "tavelo merge 1000" 5 "$dir/tm.pdf" "$batch" print "$dir/merge.tvl" -o "$dir/tm.pdf" --dpi 600 --merge "$dir/list1000.csv" --merge-mode card
run "glabels merge 1000" 1 "$dir/gm.pdf" xvfb-run -a glabels-3-batch -o "$dir/gm.pdf" "$dir/merge.glabels"

python3 - "${result[tavelo sheet]}" "${result[glabels sheet]}" "${result[tavelo merge 1000]}" "${result[glabels merge 1000]}" <<'EOF'
import sys
t, g, tm, gm = (list(map(float, a.split())) for a in sys.argv[1:])
for name, ours, theirs in (('one sheet', t, g), ('1000-person merge', tm, gm)):
    print(f'{name}: {theirs[0] / ours[0]:.0f} x faster (wall), {theirs[1] / ours[1]:.0f} x less processor time, '
          f'{theirs[2] / max(ours[2], 1):.0f} x smaller file')
EOF
