#!/usr/bin/env bash
# Measures the program at scale on the offscreen platform, with the real
# application objects (bench_gui_scale):
# - adding 200 and 1000 files (hard links of three short clips) in one call
#   of the queue: the longest event-loop stall, the time until every item
#   has left Importing against the plain libav program on as many threads as
#   the program's pool (anchor_probe_thumbnail), and the resident set per
#   item;
# - starting with 0, 1000 and 10,000 history records (with thumbnails, as
#   the program writes them): start to shown and the resident set against an
#   empty history, and the empty start against a minimal Qt widgets program
#   (anchor_minimal_window).
# Runs are paired, their order alternating from pair to pair; ratios and
# differences are taken within each pair and printed as min / median / max.
#
#   bench/run_gui_scale_bench.sh [BUILD_DIR] [PAIRS]
#
# BUILD_DIR defaults to ./build, PAIRS to 5 (the 1000-file and 10,000-record
# rows run half as many, at least 3).
set -euo pipefail

build_dir=$(realpath "${1:-build}")
pairs=${2:-5}
long_pairs=$(((pairs + 1) / 2 > 3 ? (pairs + 1) / 2 : 3))
threads=$(nproc)

cmake --build "$build_dir" --target bench_gui_scale anchor_minimal_window \
    anchor_probe_thumbnail reelworker >/dev/null
ours="$build_dir/bin/bench_gui_scale"
minimal="$build_dir/bin/anchor_minimal_window"
libav="$build_dir/bin/anchor_probe_thumbnail"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

make_clip() { # name size seconds codec-args...
    local name=$1 size=$2 seconds=$3
    shift 3
    ffmpeg -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=$size:rate=30:duration=$seconds" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$seconds" \
        -ac 2 "$@" "$work/$name"
}
make_clip hd.mp4 1920x1080 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac
make_clip small.mkv 1280x720 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a libvorbis
make_clip dvd.mpg 720x576 2 -c:v mpeg2video -b:v 6M -c:a mp2

mkdir "$work/files"
clips=(hd.mp4 small.mkv dvd.mpg)
for ((i = 0; i < 1000; i++)); do
    clip=${clips[i % ${#clips[@]}]}
    ln "$work/$clip" "$work/files/$(printf '%04d' "$i")-$clip"
done
mapfile -t all_files < <(ls -d "$work"/files/*)

# min / median / max of the numbers on standard input.
spread() {
    sort -g | awk '{ v[NR] = $1 }
        END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              printf "%.3f / %.3f / %.3f", v[1], m, v[NR] }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a - b }'; }

# Runs a command with HOME set; prints its output line, fails loudly.
in_home() { # home command...
    local home=$1 line
    shift
    line=$(HOME="$home" "$@" 2>"$work/last.err") \
        || { tail -20 "$work/last.err" >&2; echo "$1 failed: $line" >&2; return 1; }
    echo "$line"
}
field() { # line name -> the value after name
    awk -v k="$2" '{ for (i = 1; i < NF; i++) if ($i == k) print $(i + 1) }' <<<"$1"
}

echo "GUI scale, offscreen, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

# --- Adding files ---------------------------------------------------------
mkdir -p "$work/home-add"
for count in 200 1000; do
    files=("${all_files[@]:0:count}")
    n=$pairs
    ((count < 1000)) || n=$long_pairs
    # One round each first, so both read the files from the page cache.
    in_home "$work/home-add" "$libav" -j "$threads" "${files[@]}" >/dev/null
    stalls=() rss=() thumbs=() imported=() anchors=() ratios=()
    for ((i = 0; i < n; i++)); do
        if ((i % 2 == 0)); then
            o=$(in_home "$work/home-add" "$ours" add "${files[@]}")
            a=$(in_home "$work/home-add" "$libav" -j "$threads" "${files[@]}")
        else
            a=$(in_home "$work/home-add" "$libav" -j "$threads" "${files[@]}")
            o=$(in_home "$work/home-add" "$ours" add "${files[@]}")
        fi
        stalls+=("$(field "$o" stall)") rss+=("$(field "$o" rsskib_per_item)")
        thumbs+=("$(field "$o" thumbkib_per_item)")
        imported+=("$(field "$o" imported)") anchors+=("$(field "$a" wall)")
        ratios+=("$(ratio "$(field "$o" imported)" "$(field "$a" wall)")")
    done
    echo "add $count files through the queue, $n pairs, min / median / max"
    printf '  longest stall ms   %s   (target <= 100)\n' "$(printf '%s\n' "${stalls[@]}" | spread)"
    printf '  RSS KiB per item   %s   (target <= 150), of which thumbnails (encoded) %s\n' \
        "$(printf '%s\n' "${rss[@]}" | spread)" "$(printf '%s\n' "${thumbs[@]}" | spread)"
    printf '  imported s         %s   libav anchor (%d threads) %s\n' \
        "$(printf '%s\n' "${imported[@]}" | spread)" "$threads" \
        "$(printf '%s\n' "${anchors[@]}" | spread)"
    printf '  imported / anchor  %s   (target <= 1.3)\n' "$(printf '%s\n' "${ratios[@]}" | spread)"
done

# --- Starting with a history ----------------------------------------------
for records in 0 1000 10000; do
    mkdir -p "$work/home-$records"
    in_home "$work/home-$records" "$ours" make-history "$records" "$work/hd.mp4" >/dev/null
done
start_in() { in_home "$1" "$2" start "$(date +%s%N)"; }

n=$pairs
shown=() rss=() minimal_shown=() ratios=()
start_in "$work/home-0" "$ours" >/dev/null
for ((i = 0; i < n; i++)); do
    if ((i % 2 == 0)); then
        o=$(start_in "$work/home-0" "$ours")
        a=$(in_home "$work/home-0" "$minimal" "$(date +%s%N)")
    else
        a=$(in_home "$work/home-0" "$minimal" "$(date +%s%N)")
        o=$(start_in "$work/home-0" "$ours")
    fi
    shown+=("$(field "$o" shown)") minimal_shown+=("$(field "$a" shown)")
    ratios+=("$(ratio "$(field "$o" shown)" "$(field "$a" shown)")")
    rss+=("$(field "$o" rss)")
done
echo "start-up to the main window shown, empty history, splash minimum 0, $n pairs"
printf '  shown s            %s   minimal Qt program %s\n' \
    "$(printf '%s\n' "${shown[@]}" | spread)" "$(printf '%s\n' "${minimal_shown[@]}" | spread)"
printf '  program / minimal  %s   (target <= 1.5)\n' "$(printf '%s\n' "${ratios[@]}" | spread)"
printf '  RSS KiB            %s\n' "$(printf '%s\n' "${rss[@]}" | spread)"

for records in 1000 10000; do
    n=$pairs
    ((records < 10000)) || n=$long_pairs
    extra=() extra_rss=()
    start_in "$work/home-$records" "$ours" >/dev/null
    for ((i = 0; i < n; i++)); do
        if ((i % 2 == 0)); then
            e=$(start_in "$work/home-0" "$ours")
            h=$(start_in "$work/home-$records" "$ours")
        else
            h=$(start_in "$work/home-$records" "$ours")
            e=$(start_in "$work/home-0" "$ours")
        fi
        [[ $(field "$h" history) == "$records" ]] \
            || { echo "history of $records read as $(field "$h" history)" >&2; exit 1; }
        extra+=("$(minus "$(field "$h" shown)" "$(field "$e" shown)")")
        extra_rss+=("$(awk -v a="$(field "$h" rss)" -v b="$(field "$e" rss)" \
            'BEGIN { printf "%.1f", (a - b) / 1024 }')")
    done
    echo "start-up with $records history records against an empty history, $n pairs"
    printf '  extra shown s      %s   (target <= +0.5)\n' "$(printf '%s\n' "${extra[@]}" | spread)"
    printf '  extra RSS MiB      %s   (target <= +150)\n' "$(printf '%s\n' "${extra_rss[@]}" | spread)"
done
echo "  load after: $(cut -d' ' -f1-3 /proc/loadavg)"
