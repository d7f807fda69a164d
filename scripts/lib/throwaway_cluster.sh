# Sourced by scripts/test and bench/run: a private cluster in a fresh folder under /tmp,
# removed again when the calling script exits. Sets NORV_TEST_PGHOST (its socket folder)
# and NORV_TEST_TEMPLATE (a database with the schema and no demo data).
throwaway_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
throwaway_dir=$(mktemp -d /tmp/norv-test-XXXXXX)
chmod 0755 "$throwaway_dir"
throwaway_cleanup() {
  NORV_PG_DIR=$throwaway_dir bash "$throwaway_root/scripts/pg" stop >/dev/null 2>&1 || true
  if [ -f "$throwaway_dir/cluster" ]; then rm -rf "$(cat "$throwaway_dir/cluster")"; fi
  rm -rf "$throwaway_dir"
}
trap throwaway_cleanup EXIT
NORV_PG_DIR=$throwaway_dir NORV_PG_DB=norv_test_template bash "$throwaway_root/scripts/pg" start
export NORV_TEST_PGHOST=$throwaway_dir/run NORV_TEST_TEMPLATE=norv_test_template
