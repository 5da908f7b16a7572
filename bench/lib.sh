# Shared by the benchmark scripts: sourced after $work and $repeat are set.

# scratch_settings HOST: a settings folder in $work with the benchmarks'
# region, so no run touches the user's own settings.
scratch_settings() {
  export XDG_CONFIG_HOME=$work/config
  mkdir -p "$XDG_CONFIG_HOME"
  "$1" settings set --region 0.25,0.75,0.25,0.75 >/dev/null
}

# cpu LABEL CMD...: runs CMD $repeat times and keeps in $cpu the least user +
# system time of the runs (the machine is shared; other load only adds time),
# in $sys that run's system time (page faults show there), and in $wall the
# least time on the clock.
cpu() {
  local label=$1 n u s e c
  shift
  cpu= sys= wall=
  for ((n = 0; n < repeat; n++)); do
    /usr/bin/time -f '%U %S %e' -o "$work/time" "$@" >/dev/null 2>"$work/err" </dev/null ||
      { echo "$label failed:"; cat "$work/err"; exit 1; }
    read -r u s e <"$work/time"
    c=$(echo "$u + $s" | bc)
    if [ -z "$cpu" ] || [ "$(echo "$c < $cpu" | bc)" = 1 ]; then cpu=$c sys=$s; fi
    if [ -z "$wall" ] || [ "$(echo "$e < $wall" | bc)" = 1 ]; then wall=$e; fi
  done
  printf '%-26s cpu %6.2f s  (system %5.2f s)\n' "$label" "$cpu" "$sys"
}

ratio() { echo "scale=3; $1 / $2" | bc; }

# zoompan_course FRAMES: ffmpeg's zoompan on the effect's default course to
# the region (0.25, 0.75, 0.25, 0.75) of a 1920x1080, 30 fps clip: the
# region's edges move evenly, so the zoom is the reciprocal of its width.
zoompan_course() {
  local frames=$1 in out outStart w
  in=$((frames * 10 / 200)); out=$((frames * 50 / 200)); outStart=$((frames - out))
  w="if(lt(on,$in),1-0.5*on/$in,if(gt(on,$outStart),0.5+0.5*(on-$outStart)/$out,0.5))"
  echo "zoompan=z='1/($w)':x='iw/2-iw/zoom/2':y='ih/2-ih/zoom/2':d=1:s=1920x1080:fps=30"
}
