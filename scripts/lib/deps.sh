# Installs the Debian packages the build and the tests need, only when some are missing.
# Sourced by scripts/run and scripts/test.

TESSALINE_PACKAGES=(
    cmake make g++ libgtest-dev
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 fonts-wine
    # Arial's metrics: Wine's choice for a sans-serif font without a face name (the notice lines).
    fonts-liberation2
    xvfb xauth x11-utils xdotool imagemagick
    cups-daemon cups-client cups libcups2-dev python3 cups-ipp-utils dbus
    clang libclang-rt-14-dev valgrind
    git zip unzip msitools wixl faketime osslsigncode dpkg-dev fakeroot lintian
    locales
    # The Ansible collection: built and tried with Debian's ansible-core; the role's apt needs
    # python3-apt on the print server.
    ansible-core ansible-lint python3-apt
)

tessaline_install_deps() {
    local missing=() pkg
    for pkg in "${TESSALINE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq >/dev/null
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
