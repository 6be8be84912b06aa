#!/usr/bin/env bash
# Times the worker's conversions against the ffmpeg command on the same
# clips and settings: the GUI's default preset ("Same as source" mp4: H.264 at
# the source's size and rate, AAC at 256 kbit/s) and its default compression
# level (3, quality 110).
#
#   bench/run_conversion_bench.sh [BUILD_DIR] [PAIRS]
#
# BUILD_DIR defaults to ./build, PAIRS to 3. Each pair runs the worker and
# ffmpeg at its default threads, in an order that alternates from pair to
# pair; ratios are taken within each pair and printed as min / median / max.
# ffmpeg's time is the wall time of the whole command; the worker's is the
# wall time from handing it the task to its final state, as the link driver
# measures it: the GUI starts the worker once, before any task. The worker's
# peak resident size is printed beside its times.
#
# Rows: a 1080p test pattern, a camera-like 1080p clip (the pattern with
# temporal noise), a 4K clip, and a full-frame text watermark on the
# camera-like clip against ffmpeg's drawtext. Each row then checks that the
# worker and ffmpeg wrote the same stream: the x264 option string (thread
# counts included, as x264 chooses them for both) and the frame count.
set -euo pipefail

build_dir=$(realpath "${1:-build}")
pairs=${2:-3}
text=Reelmorph
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

cmake --build "$build_dir" --target reelworker bench_worker_link >/dev/null
driver="$build_dir/bin/bench_worker_link"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The worker logs into a home folder of its own.
export HOME="$work/home"
mkdir -p "$HOME"

make_clip() { # name size seconds extra-filter
    local filter="testsrc2=size=$2:rate=25:duration=$3$4"
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$filter" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$3" \
        -ac 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 192k \
        "$work/$1.mp4"
}

# What the worker's encoders get for the task (transcoder and encoder):
# bit rate by size at quality 110 (8,000,000 or 45,000,000 x 1.2), a rate
# tolerance of a third, a one-second buffer capped at the rate, the thread
# count x264 chooses, a half-second group of pictures with 2 B-frames; AAC at
# 256 kbit/s with the source's rate and channels.
encode_args() { # bitrate
    echo "-c:v libx264 -b:v $1 -bt $(($1 / 3)) -maxrate $1 -bufsize $1 -g 12 -bf 2"
    echo "-pix_fmt yuv420p -c:a aac -b:a 256k -ar 48000 -ac 2"
}
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

# min / median / max of the numbers on standard input.
spread() {
    sort -g | awk '{ v[NR] = $1 }
        END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              printf "%.3f / %.3f / %.3f", v[1], m, v[NR] }'
}

x264_options() { LC_ALL=C grep -a -o -m1 'options: [[:print:]]*' "$1" | head -n1; }
frame_count() {
    ffprobe -v error -select_streams v:0 -count_packets \
        -show_entries stream=nb_read_packets -of csv=p=0 "$1"
}

run_worker() { # clip seconds watermark; prints seconds and peak KiB
    rm -f "$work/worker.mp4" # the worker never replaces an existing target
    "$driver" "$work/$1.mp4" "$work/worker.mp4" "$2" $3 2>"$work/last.err" \
        || { cat "$work/last.err" >&2; return 1; }
}
run_ffmpeg() { # clip bitrate watermark
    local clip=$1 bitrate=$2 watermark=$3
    local filter=()
    [[ -n $watermark ]] && filter=(-vf "$drawtext")
    # shellcheck disable=SC2046
    timed ffmpeg -hide_banner -nostdin -y -i "$work/$clip.mp4" "${filter[@]}" \
        $(encode_args "$bitrate") "$work/ffmpeg.mp4"
}

check_same_stream() { # row
    local ours theirs
    ours=$(x264_options "$work/worker.mp4")
    theirs=$(x264_options "$work/ffmpeg.mp4")
    if [[ -z $ours || $ours != "$theirs" ]]; then
        printf '%s: the x264 options differ\n  worker: %s\n  ffmpeg: %s\n' "$1" "$ours" "$theirs" >&2
        return 1
    fi
    local frames_ours frames_theirs
    frames_ours=$(frame_count "$work/worker.mp4")
    frames_theirs=$(frame_count "$work/ffmpeg.mp4")
    if [[ $frames_ours != "$frames_theirs" ]]; then
        printf '%s: frame counts differ: worker %s, ffmpeg %s\n' "$1" "$frames_ours" "$frames_theirs" >&2
        return 1
    fi
    echo "  same stream: x264 options equal, $frames_ours frames each"
}

run_row() { # name clip seconds bitrate watermark
    local name=$1 clip=$2 seconds=$3 bitrate=$4 watermark=$5
    echo "$name"

    local worker=() peak=() auto=() ratio=()
    local w a
    for ((i = 0; i < pairs; i++)); do
        if ((i % 2 == 0)); then
            w=$(run_worker "$clip" "$seconds" "$watermark")
            a=$(run_ffmpeg "$clip" "$bitrate" "$watermark")
        else
            a=$(run_ffmpeg "$clip" "$bitrate" "$watermark")
            w=$(run_worker "$clip" "$seconds" "$watermark")
        fi
        worker+=("${w% *}") peak+=("$(echo "scale=1; ${w#* } / 1024" | bc)") auto+=("$a")
        ratio+=("$(echo "scale=4; ${w% *} / $a" | bc)")
    done
    printf '  seconds  worker %s   ffmpeg default threads %s\n' \
        "$(printf '%s\n' "${worker[@]}" | spread)" "$(printf '%s\n' "${auto[@]}" | spread)"
    printf '  ratio    worker / ffmpeg %s   worker peak RSS MiB %s\n' \
        "$(printf '%s\n' "${ratio[@]}" | spread)" "$(printf '%s\n' "${peak[@]}" | spread)"
    check_same_stream "$name"
}

make_clip plain 1920x1080 4 ""
make_clip camera 1920x1080 4 ",noise=alls=8:allf=t"
make_clip uhd 3840x2160 2 ""

echo "$pairs pairs per row, min / median / max; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
run_row "1080p pattern, 4 s" plain 4 9600000 ""
run_row "1080p camera-like, 4 s" camera 4 9600000 ""
run_row "4K pattern, 2 s" uhd 2 54000000 ""
run_row "1080p camera-like, full-frame text watermark vs drawtext, 4 s" camera 4 9600000 "$text"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
