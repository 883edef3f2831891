# Sourced by launch.sh: the programs beside Tessilo, tessilo-screen and the PrtSc companion, serve
# every Tessilo window of the session. The first launcher starts them, the last one to leave stops
# them, and a keeper stops them when the last launcher was killed: nothing stays shared with
# nobody recording, and nothing left behind blocks a later start. What they share lives in
# HELPERS_STATE (in XDG_RUNTIME_DIR), changed only under its start.lock (fd 8):
#   users/PID                   a launcher whose window is open: its process's start time
#   screen.pid, companion.pid, keeper.pid   what runs for them
#   screen.ready                tessilo-screen's word that it serves the screen
#   helpers_join STATE   takes the lock and joins the users (helpers_unlock lets go of the lock)
#   helpers_leave        leaves; the last user stops the helpers

HELPERS_STATE=""

# A process's start time: a pid alone may since have been given to another process. Fails for a
# process that has ended, also one that nobody has reaped yet.
process_start() {  # pid
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  set -- $stat
  [ "$1" != Z ] || return 1
  echo "${20}"
}

# True when the helper NAME that was recorded still runs (its command line names WHAT).
helper_alive() {  # name what
  local pid
  pid=$(cat "$HELPERS_STATE/$1.pid" 2>/dev/null) || return 1
  [ -n "$pid" ] && process_start "$pid" >/dev/null && tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "$2"
}

# Drops the users whose launcher is gone; true while any is left.
helpers_users_left() {
  local user left=""
  for user in "$HELPERS_STATE"/users/*; do
    [ -e "$user" ] || continue
    if [ "$(process_start "${user##*/}")" = "$(cat "$user" 2>/dev/null)" ]; then
      left=yes
    else
      rm -f "$user"
    fi
  done
  [ -n "$left" ]
}

# The start lock, on fd 8, opened anew: children may hold an earlier copy.
helpers_lock() {
  exec 8>"$HELPERS_STATE/start.lock"
  flock -x 8
}

helpers_join() {  # state
  HELPERS_STATE=$1
  mkdir -p "$HELPERS_STATE/users"
  helpers_lock
  process_start $$ >"$HELPERS_STATE/users/$$"
}

helpers_unlock() {
  flock -u 8
}

# Starts a helper detached from this launcher's terminal and job, with none of its locks; records
# its pid as NAME.
helper_start() {  # name log command...
  local name=$1 log=$2
  shift 2
  log_rotate "$log"
  setsid "$@" </dev/null >"$log" 2>&1 8>&- &
  echo $! >"$HELPERS_STATE/$name.pid"
}

helpers_stop() {
  local name pid signal _
  for name in screen companion; do
    pid=$(cat "$HELPERS_STATE/$name.pid" 2>/dev/null) || continue
    # Ctrl+C for the companion: it unhooks the keyboard. tessilo-screen ends the share.
    signal=TERM
    [ "$name" = screen ] || signal=INT
    kill -"$signal" "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      process_start "$pid" >/dev/null || break
      sleep 0.1
    done
    rm -f "$HELPERS_STATE/$name.pid"
  done
  rm -f "$HELPERS_STATE/screen.ready"
}

# Watches the users from outside any launcher; stops the helpers once none is left.
helpers_keeper_start() {
  helper_alive keeper "launch.sh" && return 0
  (
    trap '' HUP INT
    exec </dev/null >/dev/null 2>&1
    while :; do
      sleep 1
      helpers_lock
      if ! helpers_users_left; then
        helpers_stop
        rm -f "$HELPERS_STATE/keeper.pid"
        exit 0
      fi
      exec 8>&-
    done
  ) &
  echo $! >"$HELPERS_STATE/keeper.pid"
}

helpers_leave() {
  [ -n "$HELPERS_STATE" ] || return 0
  helpers_lock
  rm -f "$HELPERS_STATE/users/$$"
  helpers_users_left || helpers_stop
  exec 8>&-
}
