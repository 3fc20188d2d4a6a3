# Shared by the run-*.sh scripts: repository root, job count, and installing
# missing Debian packages (apt-get update runs only when something is missing).

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-2}"

ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ "${#missing[@]}" -eq 0 ] && return 0

  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo=(sudo)
    else
      echo "error: missing packages (${missing[*]}) and no root rights to install them" >&2
      return 1
    fi
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# configure BUILD_DIR [cmake options...]: configures once, reconfigures only
# when the options change (cmake itself keeps the rest up to date).
configure() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@"
}
