#!/usr/bin/env bash
# clang-format on every C++ file of the tree.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs -r clang-format -i
