#!/usr/bin/env bash
# Runs the DAP client's conversations with tolvan --dap. The client library is installed from
# the lockfile by scripts/test (npm ci), never while building.
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v node >/dev/null; then
  echo "tests/dap: node is missing: run scripts/install-deps" >&2
  exit 1
fi
if [ ! -d node_modules/@vscode/debugadapter-testsupport ]; then
  echo "tests/dap: the DAP client library is missing: run scripts/test, or npm ci in tests/dap" >&2
  exit 1
fi
exec node --test --test-reporter=tap
