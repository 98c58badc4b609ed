# Shared by run.sh and test.sh: installs the Debian packages the build needs
# (when root or with sudo) and configures a build folder.

LEX_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
    clang
    gettext qt6-base-dev qt6-l10n-tools
    xvfb xauth fonts-dejavu-core fonts-wqy-microhei
)

# Prints those of the named packages that are not installed.
lex_missing_packages() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            echo "$package"
    done
}

# Runs apt-get as root or through sudo; the package lists are fetched once.
lex_apt_get() {
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Missing packages and no sudo" >&2; return 1; }
        sudo="sudo"
    fi
    if [ -z "${LEX_APT_UPDATED:-}" ]; then
        $sudo apt-get update -qq || return 1
        LEX_APT_UPDATED=1
    fi
    [ $# -eq 0 ] || DEBIAN_FRONTEND=noninteractive $sudo apt-get "$@"
}

lex_apt_install() {
    echo "Installing: $*"
    lex_apt_get install -y -qq --no-install-recommends "$@"
}

# The sanitizer and fuzzer run-time comes with each clang release under its
# own name (libclang-rt-14-dev for clang 14): the one of the installed clang.
lex_clang_runtime_package() {
    local version major
    version=$(clang --version 2>/dev/null | head -n 1)
    major=$(sed -n 's/^.*clang version \([0-9][0-9]*\).*$/\1/p' <<<"$version")
    [ -n "$major" ] || { echo "Cannot tell the release of clang: ${version:-not found}" >&2; return 1; }
    echo "libclang-rt-$major-dev"
}

lex_install_packages() {
    local missing runtime
    mapfile -t missing < <(lex_missing_packages "${LEX_PACKAGES[@]}")
    if [ ${#missing[@]} -gt 0 ]; then
        lex_apt_install "${missing[@]}" || return 1
    fi
    # Only an installed clang can say which run-time matches it.
    runtime=$(lex_clang_runtime_package) || return 1
    [ -z "$(lex_missing_packages "$runtime")" ] && return 0
    # Older packagings keep the run-time in libclang-common-N-dev, which clang
    # brings along, and have no such package.
    if ! apt-cache show "$runtime" >/dev/null 2>&1; then
        lex_apt_get || return 1
        apt-cache show "$runtime" >/dev/null 2>&1 || return 0
    fi
    lex_apt_install "$runtime"
}

# lex_configure BUILD_DIR [CMAKE ARGS...]
lex_configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
