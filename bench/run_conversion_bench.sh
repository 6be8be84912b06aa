#!/usr/bin/env bash
# Times the worker's conversion of a 20 s 1920x1080 H.264 + AAC clip to mp4
# against the ffmpeg command with the same encoders, size, frame rate and bit
# rates, without and with a full-frame text watermark (drawtext for ffmpeg).
# Prints the median wall time of each and their ratio.
#
#   bench/run_conversion_bench.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to ./build, RUNS to 5. Wall time is that of the whole
# command: for the worker path, the link driver with the worker it starts.
set -euo pipefail

build_dir=$(realpath "${1:-build}")
runs=${2:-5}
seconds=20
text=Reelmorph
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

cmake --build "$build_dir" --target reelworker bench_worker_link >/dev/null
driver="$build_dir/bin/bench_worker_link"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The worker logs into a home folder of its own.
export HOME="$work/home"
mkdir -p "$HOME"

ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "testsrc2=size=1920x1080:rate=25:duration=$seconds" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" \
    -ac 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 192k \
    "$work/source.mp4"

# What the worker's encoders get for this task: the bit rate of 1080p at
# 25 fps and quality 95 (8,000,000 x 1.05), a rate tolerance of a third,
# a one-second buffer capped at the rate, 4 threads, a half-second group of
# pictures with 2 B-frames; AAC at 128 kbit/s, 44.1 kHz, stereo.
encode_args=(-c:v libx264 -b:v 8400000 -bt 2800000 -maxrate 8400000 -bufsize 8400000
    -threads 4 -g 12 -bf 2 -pix_fmt yuv420p -s 1920x1080 -r 25
    -c:a aac -b:a 128k -ar 44100 -ac 2)
drawtext="drawtext=fontfile=$font:text=$text:fontsize=h/3:fontcolor=white@0.8"
drawtext+=":shadowcolor=black@0.5:shadowx=4:shadowy=4:x=(w-text_w)/2:y=(h-text_h)/2"

now_ns() { date +%s%N; }

# Runs the command quietly and prints its wall time in seconds.
timed() {
    local start end
    start=$(now_ns)
    "$@" >/dev/null 2>"$work/last.err" || { cat "$work/last.err" >&2; return 1; }
    end=$(now_ns)
    echo "scale=3; ($end - $start) / 1000000000" | bc
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

run_case() {
    local name=$1 watermark=$2
    local worker_times=() ffmpeg_times=()
    local filter=()
    [[ -n $watermark ]] && filter=(-vf "$drawtext")
    for ((i = 0; i < runs; i++)); do
        # The worker never replaces an existing target.
        rm -f "$work/worker.mp4"
        worker_times+=("$(timed "$driver" "$work/source.mp4" "$work/worker.mp4" "$seconds" $watermark)")
        ffmpeg_times+=("$(timed ffmpeg -hide_banner -nostdin -y -i "$work/source.mp4" \
            "${filter[@]}" "${encode_args[@]}" "$work/ffmpeg.mp4")")
    done
    local worker_median ffmpeg_median
    worker_median=$(printf '%s\n' "${worker_times[@]}" | median)
    ffmpeg_median=$(printf '%s\n' "${ffmpeg_times[@]}" | median)
    printf '%-22s worker %7.3f s   ffmpeg %7.3f s   ratio %.3f\n' "$name" \
        "$worker_median" "$ffmpeg_median" "$(echo "scale=4; $worker_median / $ffmpeg_median" | bc)"
    printf '  worker runs: %s\n  ffmpeg runs: %s\n' "${worker_times[*]}" "${ffmpeg_times[*]}"
}

echo "$runs runs each, ${seconds} s 1920x1080 25 fps H.264 + AAC to mp4"
run_case "no overlay" ""
run_case "full-frame text mark" "$text"
