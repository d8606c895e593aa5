#!/usr/bin/env bash
# Installs the browser test's Node.js packages (playwright-core, which
# drives the Chromium that scripts/setup.sh installs and never downloads a
# browser of its own) into a build folder, from the committed lock file.
# They are installed again only when the lock file changes.
#
#   install_driver.sh SOURCE_FOLDER BUILD_FOLDER
set -euo pipefail
source=$1
target=$2
mkdir -p "$target"
stamp=$target/node_modules/.kuv-installed-lock
if [[ -f $stamp ]] && cmp -s "$stamp" "$source/package-lock.json"; then
  exit 0
fi
cp "$source/package.json" "$source/package-lock.json" "$target/"
cd "$target"
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --ignore-scripts
cp package-lock.json "$stamp"
