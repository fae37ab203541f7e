#!/bin/sh
# first_run_test.sh VORN DATA_DIR
# Copies the content, starts the game, answers the full-screen question with Escape (No), waits
# for the load and frame-rate lines, ends the game with Escape and checks its exit status; then
# starts it again and checks that the caches were read, not rewritten.
set -eu
vorn=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data" "$work/data"
cd "$work/data"

fail() { echo "FAIL: $*"; cat "$work/out" 2>/dev/null; exit 1; }

# The id of the first window whose name is $1 (SDL windows carry only UTF-8 names).
window_named() { xwininfo -root -tree 2>/dev/null | grep "\"$1\"" | head -n 1 | awk '{print $1}'; }

press_in() {
    id=""
    i=0
    while [ -z "$id" ]; do
        i=$((i + 1)); [ $i -gt 200 ] && fail "no window \"$1\""
        sleep 0.1
        id=$(window_named "$1")
    done
    sleep 0.3
    xdotool windowfocus "$id" 2>/dev/null || true
    xdotool key "$2"
}

wait_for() {
    i=0
    until grep -q "$1" "$work/out"; do
        i=$((i + 1)); [ $i -gt 300 ] && fail "no \"$1\" line"
        sleep 0.1
    done
}

run_once() {
    "$vorn" > "$work/out" 2>&1 &
    pid=$!
    press_in "Start FullScreen?" Escape
    wait_for "Load Time "
    sleep 2.5
    wait_for "Frames per sec: "
    press_in "The Vorn Project" Escape
    status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "exit status $status"
}

run_once
ls ./*.prs ./*.kdt > /dev/null 2>&1 || fail "no caches written"
before=$(ls -l --time-style=+%s.%N ./*.prs ./*.kdt | md5sum)
sums=$(cat ./*.prs ./*.kdt | md5sum)
sleep 1
run_once
[ "$(ls -l --time-style=+%s.%N ./*.prs ./*.kdt | md5sum)" = "$before" ] || fail "caches rewritten"
[ "$(cat ./*.prs ./*.kdt | md5sum)" = "$sums" ] || fail "caches changed"
echo "first run and second run passed"
