# shellcheck shell=bash
# The plain build's configuration, sourced by demo.sh, test.sh and package.sh: a folder
# configured with these flags is reused by each of them without recompiling. Warnings are
# errors; installing goes under /usr, where the packages put the files.
# shellcheck disable=SC2034
plain_build_flags=(-DBRELMOX_WERROR=ON -DBRELMOX_SANITIZE=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
    -DCMAKE_INSTALL_PREFIX=/usr)
