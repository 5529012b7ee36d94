#!/usr/bin/env bash
# scripts/run borrows the user's link settings and settings store for its simulated panel: one run
# at a time, and however the runs end, even killed where they cannot clean up, both files come back
# byte for byte. The script runs over the programs already built, with a stand-in for the program
# (so no display is needed), in a settings folder of the test's own.
#   run_test.sh SOURCE_DIR VM415_SIM VM415_COM
set -euo pipefail
source_dir=$1
tmp=$(mktemp -d)
runs=() panels=() # the scripts started, and the simulated panels of those killed

# shellcheck disable=SC2317 # called by the trap
finish() {
  set +e
  local f
  for f in "$tmp"/up/*; do [[ -s $f ]] && kill -TERM "$(<"$f")" 2>/dev/null; done
  ((${#runs[@]} == 0)) || kill -TERM "${runs[@]}" 2>/dev/null
  ((${#panels[@]} == 0)) || kill -TERM "${panels[@]}" 2>/dev/null
  wait
  rm -rf "$tmp"
}
trap finish EXIT

fail() {
  echo "run_test: $*" >&2
  for f in "$tmp"/*.err; do [[ ! -s $f ]] || { echo "--- $f"; cat "$f"; } >&2; done
  exit 1
}

# Polls, since how long a run takes to start depends on the machine and its load.
wait_for() {
  local what=$1 end=$((SECONDS + 60))
  shift
  until "$@"; do
    ((SECONDS < end)) || fail "$what"
    sleep 0.05
  done
}

# An orphan that nobody reaps stays a zombie, which no longer runs.
gone() {
  ! kill -0 "$1" 2>/dev/null || [[ $(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) == Z ]]
}

export XDG_CONFIG_HOME=$tmp/config
folder=$XDG_CONFIG_HOME/vm415
mkdir -p "$folder" "$tmp/build/bin" "$tmp/up" "$tmp/before"
ln -s "$2" "$tmp/build/bin/vm415-sim"
ln -s "$3" "$tmp/build/bin/vm415-com"
cat >"$tmp/build/bin/vm415" <<'STANDIN'
#!/bin/sh
# Stands for the program: tells the test it is up, then waits to be ended.
echo $$ >"$RUN_TEST_UP/$1.new" && mv "$RUN_TEST_UP/$1.new" "$RUN_TEST_UP/$1"
exec sleep 300
STANDIN
chmod +x "$tmp/build/bin/vm415"
export RUN_TEST_UP=$tmp/up VM415_RUN_BUILD=$tmp/build VM415_SIM=1
unset VM415_SIM_COM VM415_SIM_ARGS

# The user's own: a modem on COM7 with its strings, and a store with a comment, another program's
# key, CR LF line ends and no end of line at the end.
field() { printf "\\$(printf %03o ${#1})%s" "$1" && head -c $((16 - ${#1})) /dev/zero; }
{ printf '\0\5\7' && field ATZ && field 'AT&F' && field ATH0 && field ATDP; } >"$folder/comconfig.cfg"
[[ $(stat -c %s "$folder/comconfig.cfg") == 71 ]] || fail "the test's link settings are not 71 bytes"
printf '; tenuto dall installatore\r\n[HKEY_CURRENT_USER\\Software\\Altro]\r\n"Voce"=sz:"estranea"' \
  >"$folder/registry.txt"
# The first listing of this machine's serial devices numbers them for good, as any program would.
"$tmp/build/bin/vm415-com" list >/dev/null
cp -p "$folder/comconfig.cfg" "$folder/registry.txt" "$tmp/before/"

as_before() {
  cmp "$tmp/before/comconfig.cfg" "$folder/comconfig.cfg" && cmp "$tmp/before/registry.txt" "$folder/registry.txt"
}

# Starts scripts/run NAME and waits until its program is up; run_pid is the script.
start() {
  rm -f "$tmp/up/$1"
  VM415_SIM=${2:-1} "$source_dir/scripts/run" "$1" >"$tmp/$1.out" 2>"$tmp/$1.err" &
  run_pid=$!
  runs+=("$run_pid")
  wait_for "run $1 did not start its program" test -s "$tmp/up/$1"
}

# The settings of a run that borrowed them: the cable on COM99, bound to a pseudo-terminal.
borrowed() {
  [[ $(od -An -tu1 -N2 "$folder/comconfig.cfg" | tr -s ' ') == " 1 99" ]] ||
    fail "$1: the link settings are not the cable on COM99"
  grep -q '^"COM99"=sz:"/dev/pts/' "$folder/registry.txt" || fail "$1: COM99 is not bound to the panel"
}

# A second run while one borrows the settings says so, starts nothing and changes nothing: neither
# the files nor the first run's panel log.
refused() {
  cp "$folder/comconfig.cfg" "$folder/registry.txt" "$tmp/build/vm415-sim.log" "$tmp/"
  [[ -s $tmp/vm415-sim.log ]] || fail "the first run's panel log is empty"
  VM415_SIM=$2 "$source_dir/scripts/run" "$1" >"$tmp/$1.out" 2>"$tmp/$1.err" &
  local pid=$! status=0
  runs+=("$pid")
  wait_for "run $1 goes on while another has the settings" gone "$pid"
  wait "$pid" || status=$?
  ((status != 0)) || fail "run $1 ended well while another had the settings"
  grep -q 'another scripts/run' "$tmp/$1.err" || fail "run $1 did not say why it ended"
  [[ ! -e $tmp/up/$1 ]] || fail "run $1 started its program"
  if ! cmp "$tmp/comconfig.cfg" "$folder/comconfig.cfg" || ! cmp "$tmp/registry.txt" "$folder/registry.txt" ||
    ! cmp "$tmp/vm415-sim.log" "$tmp/build/vm415-sim.log"; then
    fail "run $1 changed what the first run set"
  fi
}

# Ended by its program: the user closes the window.
start first
borrowed first
refused second 1
refused third 0
kill -TERM "$(<"$tmp/up/first")"
{ wait "$run_pid"; } 2>/dev/null || true
as_before || fail "the files differ after the first run ended with its program"

# Ended by a signal to the script, as by Ctrl-C or a closed terminal.
start again
borrowed again
kill -TERM "$run_pid"
{ wait "$run_pid"; } 2>/dev/null || true
as_before || fail "the files differ after a run ended by a signal"

# Killed where it cannot clean up: its panel and program stop all the same, and the next run (even
# one without a simulated panel) puts the files back before its program starts.
start killed
borrowed killed
sim_pid=$(head -n1 "$folder/run-sim/pids")
panels+=("$sim_pid")
{ kill -KILL "$run_pid" && wait "$run_pid"; } 2>/dev/null || true
wait_for "the killed run's program goes on" gone "$(<"$tmp/up/killed")"
wait_for "the killed run's simulated panel goes on" gone "$sim_pid"
start real 0
grep -q 'putting them back' "$tmp/real.out" || fail "the run after a killed one did not say it put the files back"
as_before || fail "the files differ while a run without a panel runs after a killed one"
kill -TERM "$(<"$tmp/up/real")"
{ wait "$run_pid"; } 2>/dev/null || true
as_before || fail "the files differ after the run that followed a killed one"
