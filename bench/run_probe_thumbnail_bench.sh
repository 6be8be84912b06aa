#!/usr/bin/env bash
# Measures what the import of a file costs, its probe and its thumbnail,
# against a plain libav program doing the same work (anchor_probe_thumbnail:
# open, stream information, seek to 5 %, first picture, scale to fit
# 320 x 320), on 50 files: hard links of five short clips of the kinds users
# add (1080p and 4K H.264 in mp4, a portrait phone clip turned by its display
# matrix, 720p in mkv, MPEG-2 in mpg).
#
#   bench/run_probe_thumbnail_bench.sh [BUILD_DIR] [PAIRS] [THREADS]
#
# BUILD_DIR defaults to ./build, PAIRS to 9, THREADS (the workers of each
# side) to 1. Each pair runs both programs on all files, in an order that
# alternates from pair to pair; each measures the CPU time of its process
# (getrusage) and the wall time from the first file to the last result.
# Ratios are taken within each pair and printed as min / median / max.
set -euo pipefail

build_dir=$(realpath "${1:-build}")
pairs=${2:-9}
threads=${3:-1}

cmake --build "$build_dir" --target bench_probe_thumbnail anchor_probe_thumbnail >/dev/null
ours="$build_dir/bin/bench_probe_thumbnail"
anchor="$build_dir/bin/anchor_probe_thumbnail"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"

make_clip() { # name size seconds codec-args...
    local name=$1 size=$2 seconds=$3
    shift 3
    ffmpeg -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=$size:rate=30:duration=$seconds" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$seconds" \
        -ac 2 "$@" "$work/$name"
}
make_clip hd.mp4 1920x1080 4 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac
make_clip uhd.mp4 3840x2160 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac
make_clip upright.mp4 1920x1080 4 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac
ffmpeg -hide_banner -loglevel error -y -i "$work/upright.mp4" -c copy \
    -metadata:s:v:0 rotate=270 "$work/portrait.mp4"
rm "$work/upright.mp4"
make_clip small.mkv 1280x720 4 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a libvorbis
make_clip dvd.mpg 720x576 4 -c:v mpeg2video -b:v 6M -c:a mp2

mkdir "$work/files"
clips=(hd.mp4 uhd.mp4 portrait.mp4 small.mkv dvd.mpg)
for ((i = 0; i < 50; i++)); do
    clip=${clips[i % ${#clips[@]}]}
    ln "$work/$clip" "$work/files/$i-$clip"
done
files=("$work"/files/*)

# "wall W cpu C files N pictures M" -> "W C"; a run that missed a picture fails.
run() {
    local line
    line=$("$@" -j "$threads" "${files[@]}" 2>"$work/last.err") \
        || { cat "$work/last.err" >&2; echo "$1 failed: $line" >&2; return 1; }
    echo "$line" | awk '{ print $2, $4 }'
}

# min / median / max of the numbers on standard input.
spread() {
    sort -g | awk '{ v[NR] = $1 }
        END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              printf "%.3f / %.3f / %.3f", v[1], m, v[NR] }'
}

# One round each first, so both read the files from the page cache.
run "$anchor" >/dev/null
run "$ours" >/dev/null

echo "probe + thumbnail, ${#files[@]} files, $threads thread(s) each, $pairs pairs, min / median / max"
echo "  $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
ours_cpu=() anchor_cpu=() cpu_ratio=() wall_ratio=()
for ((i = 0; i < pairs; i++)); do
    if ((i % 2 == 0)); then
        o=$(run "$ours")
        a=$(run "$anchor")
    else
        a=$(run "$anchor")
        o=$(run "$ours")
    fi
    read -r ow oc <<<"$o"
    read -r aw ac <<<"$a"
    ours_cpu+=("$oc") anchor_cpu+=("$ac")
    cpu_ratio+=("$(awk -v a="$oc" -v b="$ac" 'BEGIN { printf "%.4f", a / b }')")
    wall_ratio+=("$(awk -v a="$ow" -v b="$aw" 'BEGIN { printf "%.4f", a / b }')")
done
printf '  cpu seconds  program %s   anchor %s\n' \
    "$(printf '%s\n' "${ours_cpu[@]}" | spread)" "$(printf '%s\n' "${anchor_cpu[@]}" | spread)"
printf '  ratio        cpu %s   wall %s\n' \
    "$(printf '%s\n' "${cpu_ratio[@]}" | spread)" "$(printf '%s\n' "${wall_ratio[@]}" | spread)"
echo "  load after: $(cut -d' ' -f1-3 /proc/loadavg)"
