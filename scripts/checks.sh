# Sourced by the check scripts: check WHAT COMMAND... runs the command, prints "ok: WHAT" or
# "FAILED: WHAT" with what it printed, and counts both in passed and failed. Needs $scratch.
passed=0
failed=0
check() {
    local what=$1
    shift
    if "$@" >"$scratch/out" 2>&1; then
        passed=$((passed + 1))
        echo "ok: $what"
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
        sed 's/^/    /' "$scratch/out"
    fi
}
