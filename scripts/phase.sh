# Sourced by the scripts: prints how long each phase of a run took, so that
# a slow CI run shows where its time went.
phase_started=$SECONDS
phase() {
  local now=$SECONDS
  if [ -n "${phase_name:-}" ]; then
    printf '== %s: %d s\n' "$phase_name" $((now - phase_started))
  fi
  phase_name=${1:-}
  phase_started=$now
}
