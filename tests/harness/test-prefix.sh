# Sourced by the test command: the tests' own Wine prefix.
#
#   test_prefix_check PREFIX     some tests plant system values in the prefix and put them back
#                                afterwards, on every path but a SIGKILL; what such a kill left
#                                behind makes later runs fail: this finds it and starts anew
#   test_prefix_unmanaged EXE    Wine hands EXE's windows to no window manager

# The value NAME in the registry section SECTION of a Wine registry file, as the file spells them
# (backslashes doubled); the line, or nothing.
test_prefix_value() {  # file section name
  SECTION="[$2]" NAME="\"$3\"=" awk '
    /^\[/ { inside = index($0, ENVIRON["SECTION"] " ") == 1 }
    inside && index($0, ENVIRON["NAME"]) == 1 { print; exit }' "$1"
}

# What a killed test left planted in the prefix, one name a line; nothing when it is clean.
test_prefix_leftovers() {  # prefix
  local user=$1/user.reg system=$1/system.reg
  # CaptureFault's SnippingKey tests: the snipping setting, which Wine never writes.
  [ -z "$(test_prefix_value "$user" 'Control Panel\\Keyboard' PrintScreenKeyForSnippingEnabled)" ] ||
    echo PrintScreenKeyForSnippingEnabled
  # tests/run-at-dpi.sh: the user's DPI, which Wine keeps elsewhere.
  [ -z "$(test_prefix_value "$user" 'Control Panel\\Desktop' LogPixels)" ] || echo LogPixels
  # The SnippingKey tests again: the build number, which Wine writes equal to CurrentBuild.
  local version='Software\\Microsoft\\Windows NT\\CurrentVersion' build number
  build=$(test_prefix_value "$system" "$version" CurrentBuild | cut -d= -f2)
  number=$(test_prefix_value "$system" "$version" CurrentBuildNumber | cut -d= -f2)
  [ "$build" = "$number" ] || echo CurrentBuildNumber
}

test_prefix_check() {  # prefix
  local prefix=$1 leftovers
  [ -f "$prefix/system.reg" ] || return 0
  # A server left running by a killed run holds the newest registry: it writes it out as it ends.
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  leftovers=$(test_prefix_leftovers "$prefix" | paste -sd, - | sed "s/,/, /g")
  [ -n "$leftovers" ] || return 0
  echo "The tests' Wine prefix holds values a killed test run planted ($leftovers): making it anew" >&2
  rm -rf "$prefix"
}

# The in-process tests run on a display without a window manager. Wine waits up to 2 s for one at
# every window it hides (a message box answered, a dialog destroyed, a window minimised), which
# made that program take minutes and outlast CTest's limit on a loaded machine; told that its
# windows have none, Wine does not wait. The desktop tests run other programs, under openbox.
test_prefix_unmanaged() {  # exe
  local section="Software\\\\Wine\\\\AppDefaults\\\\$1\\\\X11 Driver"
  [ "$(test_prefix_value "$WINEPREFIX/user.reg" "$section" Managed)" = '"Managed"="N"' ] ||
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$1\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
}
