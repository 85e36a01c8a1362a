#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the program.
# Packages that are already installed are skipped, so a second run is quick.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  # uchardet and ICU's charset detector, for the code page of a file that is
  # not UTF-8
  libicu-dev libuchardet-dev
  # Qt's platform accessibility, which the text view's tests switch on
  qt6-base-private-dev
  # Qt's own Italian translations (file dialog, context menus, window menus)
  qt6-translations-l10n
  # platform plugins and fonts for a real or virtual X display
  libqt6gui6 qt6-qpa-plugins fonts-dejavu-core
  # files handed to the running program: a private session bus in the tests
  dbus-daemon
  # end-to-end tests: virtual X server, window manager, input, clipboard, screenshots
  xvfb openbox xdotool xclip x11-utils imagemagick
  # end-to-end tests of a logout: a session manager of the tests' own
  libsm-dev libice-dev
  # printing: a private CUPS server with a PDF queue, PDF text extraction
  cups cups-client cups-filters printer-driver-cups-pdf poppler-utils
  # the Debian package: CPack's DEB generator (dpkg-shlibdeps, file) and the
  # distribution's own checks of the package and of its desktop files
  dpkg-dev file desktop-file-utils appstream lintian
  # which program a desktop opens a media type with
  xdg-utils
  # end-to-end tests of a screen reader's view: a session bus, the
  # accessibility bus on it, and a screen reader's library to listen and ask
  dbus-daemon dbus-bin at-spi2-core python3-pyatspi
  # end-to-end tests that hear a real screen reader: Orca speaking through
  # speech-dispatcher (into a module of the tests' own), in Italian, beside
  # a Gtk text view and Gtk menus of the tests' own for its usual words
  orca speech-dispatcher locales gir1.2-gtk-3.0 gir1.2-gtksource-4 python3-xlib
  # save tests: access control lists, extended attributes, immutable folders
  acl attr e2fsprogs
  # fuzzing: clang with libFuzzer and the sanitizers' run-time libraries
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Orca's own words are Italian only where the Italian locale exists.
if ! locale -a 2>/dev/null | grep -qix 'it_IT.utf8'; then
  echo "Generating the it_IT.UTF-8 locale"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i it_IT -c -f UTF-8 -A /usr/share/locale/locale.alias it_IT.UTF-8
fi
