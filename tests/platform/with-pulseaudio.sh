#!/usr/bin/env bash
# Runs the sound-device tests: first against a private PulseAudio server with a null sink named
# "calls" at the program's own 8 kHz mono, so what its monitor records is the very samples played
# (started and stopped here), then with no server reachable at all.
set -u
program=$1
runtime=$(mktemp -d)
chmod 700 "$runtime"
cleanup() {
    XDG_RUNTIME_DIR=$runtime HOME=$runtime pulseaudio --kill 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$runtime HOME=$runtime
unset PULSE_SERVER
pulseaudio -n --daemonize=yes --exit-idle-time=-1 --load='module-null-sink sink_name=calls rate=8000 channels=1' \
    --load=module-native-protocol-unix 2>/dev/null || { echo "cannot start pulseaudio"; exit 1; }
for _ in $(seq 100); do
    pulseaudio --check && [ -S "$runtime/pulse/native" ] && break
    sleep 0.1
done
"$program" --gtest_filter='QtWaveOutWithServer.*:PlaybackOnSink.*'
with_server=$?

pulseaudio --kill
for _ in $(seq 100); do
    pulseaudio --check || break
    sleep 0.1
done
PULSE_SERVER=unix:$runtime/no-server "$program" --gtest_filter='QtWaveOutWithoutServer.*'
without_server=$?

[ $with_server -eq 0 ] && [ $without_server -eq 0 ]
