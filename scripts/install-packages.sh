# Sourced by the setup scripts: install_packages PACKAGE... installs those of the Debian packages that
# are missing (with sudo when not root) and leaves the installed ones alone.
install_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  local sudo_cmd=()
  [ "$(id -u)" = 0 ] || sudo_cmd=(sudo)
  # Another installation running (unattended upgrades, a second set-up) is waited for, not failed on.
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}"
}

# install_russian_locale: generates ru_RU.UTF-8 from the locales package's sources (no network) when
# the system lacks it; the report tests run under it, as the Qt program does on a Russian desktop.
install_russian_locale() {
  install_packages locales
  locale -a 2>/dev/null | grep -qix 'ru_RU.utf8' && return 0
  local sudo_cmd=()
  [ "$(id -u)" = 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
}
