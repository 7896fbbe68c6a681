# Sourced by the bench scripts: a private home, config, data and runtime
# folder under $work, so a run never reads or writes the user's own (autostart
# entry, data folder). On exit the program started as $pid is stopped and
# $work removed.
work=$(mktemp -d)
pid=
kolva_bench_cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap kolva_bench_cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
