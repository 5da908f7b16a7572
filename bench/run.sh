#!/usr/bin/env bash
# Runs every benchmark against the build in $1 (./dev bench).
set -euo pipefail
build=${1:?usage: bench/run.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
echo "== engine"
"$build/bench/engine_bench" --benchmark_counters_tabular=true
echo "== picture conversions"
"$build/bench/convert_bench"
echo "== opening the configuration window"
"$build/bench/dialog_bench"
echo "== live-preview steps: a drag and a slider"
"$build/bench/preview_bench"
echo "== scrubbing in the dialog"
"$build/bench/scrub_bench"
echo "== the smooth zoom's sampler against swscale's Lanczos"
"$build/bench/resample_bench" --benchmark_counters_tabular=true
echo "== the frei0r filter in ffmpeg against zoompan"
"$build/bench/frei0r_frame_bench" "$build/frei0r-1/morvatelle.so"
"$here/frei0r_bench.sh" "$build"
echo "== the MLT service in melt against the frei0r filter and qtblend"
"$here/mlt_bench.sh" "$build"
echo "== the GStreamer element against the frei0r filter and videocrop + videoscale"
"$here/gst_bench.sh" "$build"
echo "== the render pipeline to a pipe"
"$here/pipe_bench.sh" "$build"
echo "== clip rendering"
"$here/render_bench.sh" "$build"
echo "== memory over a long render"
"$here/soak_bench.sh" "$build"
