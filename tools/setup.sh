# Shared by run.sh and test.sh: installs the Debian packages the build needs
# (when root or with sudo) and configures a build folder.

LEX_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
    clang
    gettext libgettextpo-dev qt6-base-dev qt6-l10n-tools qt6-translations-l10n
    libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev libpq-dev postgresql sqlite3
    xvfb xauth fonts-dejavu-core fonts-wqy-microhei
    libopencc-dev opencc
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

# lex_pg_start DIR: a throw-away PostgreSQL cluster in DIR, on loopback at a
# free port, where the user "lex" logs in without a password; exports
# LEX_TEST_PGSQL, the connection parameters the database tests read, and
# LEX_TEST_PGCTL, the pg_ctl command line that stops and starts it.
# PostgreSQL refuses to run as root, so root runs it as "postgres", which then
# owns DIR. lex_pg_stop stops it and removes DIR.
lex_pg_start() {
    local dir=$1 bin port attempt
    local as=()
    bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    [ -n "$bin" ] && [ -x "$bin/pg_ctl" ] || { echo "PostgreSQL is not installed" >&2; return 1; }
    [ "$(id -u)" -ne 0 ] || as=(runuser -u postgres --)
    # A cluster left running by an earlier run that was killed.
    [ -f "$dir/data/postmaster.pid" ] &&
        "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1
    rm -rf "$dir"
    mkdir -p "$dir"
    # Absolute: a restart reads the data folder from the options of the first start.
    dir=$(realpath "$dir")
    [ "$(id -u)" -ne 0 ] || chown postgres: "$dir"
    if ! "${as[@]}" "$bin/initdb" -D "$dir/data" -U lex --auth=trust -E UTF8 --no-locale \
        >"$dir/initdb.log" 2>&1; then
        cat "$dir/initdb.log" >&2
        return 1
    fi
    LEX_PG_DIR=$dir
    LEX_PG_AS=("${as[@]}")
    LEX_PG_BIN=$bin
    for attempt in 1 2 3 4 5; do
        port=$((20000 + RANDOM % 40000))
        # Something answers there already.
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && continue
        if "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
            -o "-c listen_addresses=127.0.0.1 -p $port -c unix_socket_directories=''" \
            start >/dev/null; then
            export LEX_TEST_PGSQL="HostName=127.0.0.1;Port=$port;Database=postgres;User_Name=lex"
            # For the tests that stop the server mid-save and start it again.
            export LEX_TEST_PGCTL="${as[*]} $bin/pg_ctl -D '$dir/data' -l '$dir/server.log'"
            echo "PostgreSQL $(basename "$(dirname "$bin")") on 127.0.0.1:$port"
            return 0
        fi
    done
    cat "$dir/server.log" >&2
    return 1
}

lex_pg_stop() {
    [ -n "${LEX_PG_DIR:-}" ] || return 0
    "${LEX_PG_AS[@]}" "$LEX_PG_BIN/pg_ctl" -D "$LEX_PG_DIR/data" -m fast stop >/dev/null 2>&1 || true
    rm -rf "$LEX_PG_DIR"
    unset LEX_PG_DIR LEX_TEST_PGSQL LEX_TEST_PGCTL
}

# lex_configure BUILD_DIR [CMAKE ARGS...]
lex_configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
