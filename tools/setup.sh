# Shared by run.sh and test.sh: installs the Debian packages the build needs
# (when root or with sudo) and configures a build folder.

LEX_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    gettext qt6-base-dev qt6-l10n-tools
    xvfb xauth fonts-dejavu-core
)

lex_install_packages() {
    local missing=()
    for package in "${LEX_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Missing packages and no sudo: ${missing[*]}" >&2; return 1; }
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# lex_configure BUILD_DIR [CMAKE ARGS...]
lex_configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
