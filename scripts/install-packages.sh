# Sourced by the setup scripts: install_packages PACKAGE... installs those of the Debian packages that
# are missing (as root, or with sudo) and leaves the installed ones alone.
install_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  local sudo_cmd=()
  sudo_command sudo_cmd "apt-get install --no-install-recommends ${missing[*]}" || return 1
  echo "Installing ${#missing[@]} Debian packages: ${missing[*]}"
  # apt's and dpkg's own lines go to a log that is shown only when the installation fails. Another
  # installation running (unattended upgrades, a second set-up) is waited for, not failed on.
  local log
  log=$(mktemp "${TMPDIR:-/tmp}/trelvane-apt.XXXXXX")
  if ! { "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq &&
         DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
           --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "Installing the packages failed (apt's output above)." >&2
    return 1
  fi
  rm -f "$log"
}

# sudo_command NAME WHAT: sets the array NAME to the prefix that runs a command as root (nothing for
# root, sudo otherwise). Without root and without sudo it says how to do WHAT as root and fails.
sudo_command() {
  local -n prefix=$1
  prefix=()
  [ "$(id -u)" = 0 ] && return 0
  if command -v sudo >/dev/null 2>&1; then
    prefix=(sudo)
    return 0
  fi
  {
    echo "These steps need root, and sudo is not installed. Run as root, then start this script again:"
    echo "  su -c '$2'"
    echo "(or install sudo and add yourself to the sudo group: su -c 'apt-get install sudo && adduser $(id -un) sudo')"
  } >&2
  return 1
}

# install_russian_locale: generates ru_RU.UTF-8 from the locales package's sources (no network) when
# the system lacks it; the report tests run under it, as the Qt program does on a Russian desktop.
install_russian_locale() {
  install_packages locales
  locale -a 2>/dev/null | grep -qix 'ru_RU.utf8' && return 0
  local sudo_cmd=()
  sudo_command sudo_cmd "localedef -i ru_RU -f UTF-8 ru_RU.UTF-8" || return 1
  "${sudo_cmd[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
}
