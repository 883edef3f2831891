# Sourced by run.sh. Tessilo saves into Windows' Pictures folder by default; Wine links the
# prefix's Pictures folder to the XDG Pictures folder when it exists and to the home folder itself
# when not, once, as it makes the prefix. A desktop's first login makes that folder; an account
# without one would get ten files a second in its home folder.
pictures_folder_make() {
  local folder=$HOME/Pictures named=""
  if command -v xdg-user-dir >/dev/null 2>&1; then
    named=$(xdg-user-dir PICTURES 2>/dev/null) || named=""
  fi
  if [ -n "$named" ] && [ "$named" != "$HOME" ]; then
    folder=$named
  elif [ "$named" = "$HOME" ] &&
       grep -qs '^XDG_PICTURES_DIR=' "${XDG_CONFIG_HOME:-$HOME/.config}/user-dirs.dirs"; then
    # xdg-user-dir answers the home folder also when user-dirs names none: this user chose it.
    return 0
  fi
  [ -d "$folder" ] && return 0
  echo "Making your Pictures folder $folder, where Tessilo saves by default" >&2
  mkdir -p "$folder"
}
