#!/usr/bin/env bash
# Checks the udev rule that gives users access to the chips:
#   1. its syntax with udev's own parser where this machine allows it:
#      `udevadm verify` (udev 253 and later); before that, `udevadm test` in
#      a private mount namespace (root only), which reads the rules and names
#      every line it cannot parse;
#   2. always, its form token by token (KEY[{attribute}]OPERATOR"value",
#      separated by commas), which also catches what an older udev lets by;
#   3. that one rule gives the hidraw nodes of chips with the library's
#      default identifiers, in the form udev compares (four lower-case
#      hexadecimal digits, as the kernel prints idVendor and idProduct), to
#      the user at the seat and to group plugdev.
# Usage: check_udev_rule.sh <rules file> <kelvane.h>
#        check_udev_rule.sh --refuses-faults <rules file> <kelvane.h>
#          (each of several spoilt copies of the rule must fail the check)
set -euo pipefail

say() { echo "$*"; }
fail() { echo "FAIL: $*"; exit 1; }

# ---- 1. udev's own parser --------------------------------------------------

# Prints udev's complaints about the rules file $1, installed as $2 in a
# private, empty /etc/udev/rules.d; "unread" when udev did not read it.
udev_test_complaints() {
  local file=$1 name=$2 out
  out=$(unshare -m sh -c '
      mount -t tmpfs tmpfs /etc/udev/rules.d &&
      cp "$1" "/etc/udev/rules.d/$2" &&
      udevadm test --action=add /devices/kelvane-rule-check/none' sh "$file" "$name" 2>&1 || true)
  if ! grep -qF "Reading rules file: /etc/udev/rules.d/$name" <<<"$out"; then
    echo unread
    return
  fi
  grep -E "^/etc/udev/rules\.d/$name:[0-9]+ " <<<"$out" || true
}

udev_syntax() {
  local rule=$1
  if ! command -v udevadm >/dev/null 2>&1; then
    say "udev syntax: not checked (no udevadm on this machine)"
    return
  fi
  if udevadm verify --help >/dev/null 2>&1; then
    udevadm verify "$rule" || fail "udevadm verify refuses $rule"
    say "udev syntax: udevadm verify"
    return
  fi
  if [ "$(id -u)" != 0 ] || [ ! -d /etc/udev/rules.d ] || ! unshare -m true 2>/dev/null; then
    say "udev syntax: not checked (udevadm $(udevadm --version) has no verify, and udevadm test needs root and a private mount namespace)"
    return
  fi
  # The parser must be seen to complain about a line it cannot take, or its
  # silence about the rule proves nothing.
  local spoilt complaints
  spoilt=$(mktemp)
  printf 'SUBSYSTEM="hidraw", MODE=="0660"\n' >"$spoilt"
  complaints=$(udev_test_complaints "$spoilt" 99-kelvane-spoilt.rules)
  rm -f "$spoilt"
  if [ "$complaints" = unread ] || [ -z "$complaints" ]; then
    say "udev syntax: not checked (udevadm test shows no complaint about a spoilt rule here)"
    return
  fi
  complaints=$(udev_test_complaints "$rule" "$(basename "$rule")")
  [ "$complaints" != unread ] || fail "udevadm test did not read the rule"
  [ -z "$complaints" ] || fail "udev complains: $complaints"
  say "udev syntax: udevadm test (udev $(udevadm --version)) in a private mount namespace"
}

# ---- 2. Token form -----------------------------------------------------------

match_keys=" ACTION DEVPATH KERNEL KERNELS SUBSYSTEM SUBSYSTEMS DRIVER DRIVERS ATTRS TAGS TEST PROGRAM RESULT CONST "
assign_keys=" OWNER GROUP MODE SECLABEL RUN LABEL GOTO IMPORT OPTIONS "
both_keys=" ATTR SYSCTL ENV TAG NAME SYMLINK "

check_token() {
  local token=$1 line=$2
  [[ $token =~ ^([A-Z_]+)(\{[^{}\"]+\})?(==|!=|\+=|-=|:=|=)\"[^\"]*\"$ ]] ||
    fail "line $line: not KEY[{attribute}]OPERATOR\"value\": $token"
  local key=${BASH_REMATCH[1]} op=${BASH_REMATCH[3]}
  case "$match_keys$assign_keys$both_keys" in *" $key "*) ;; *) fail "line $line: unknown key $key" ;; esac
  if [[ $op == "==" || $op == "!=" ]]; then
    [[ $assign_keys != *" $key "* ]] || fail "line $line: $key cannot be compared"
  else
    [[ $match_keys != *" $key "* ]] || fail "line $line: $key cannot be assigned"
  fi
}

token_form() {
  local rule=$1 n=0 line rest token
  while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    [[ $line =~ ^[[:space:]]*(#.*)?$ ]] && continue
    [[ $line != *\\ ]] || fail "line $n: continued lines are not expected here"
    rest=$line
    while [ -n "$rest" ]; do
      # One token: up to the end of its quoted value.
      [[ $rest =~ ^[[:space:]]*([^\"]*\"[^\"]*\")(.*)$ ]] || fail "line $n: unterminated token: $rest"
      token=${BASH_REMATCH[1]}
      rest=${BASH_REMATCH[2]}
      check_token "$token" "$n"
      if [[ $rest =~ ^[[:space:]]*$ ]]; then
        rest=""
      elif [[ $rest =~ ^,[[:space:]]*(.+)$ ]]; then
        rest=${BASH_REMATCH[1]}
      else
        fail "line $n: a comma must separate the tokens: ...$token$rest"
      fi
    done
  done <"$rule"
}

# ---- 3. The default identifiers and the access granted -------------------

default_id() {
  local name=$1 header=$2 value
  value=$(sed -nE "s/^#define[[:space:]]+$name[[:space:]]+0[xX]([0-9A-Fa-f]{1,4})[[:space:]]*$/\1/p" "$header")
  [ -n "$value" ] || fail "$name not found in $header"
  printf '%04x' "$((16#$value))"
}

access_rule() {
  local rule=$1 header=$2 vid pid
  vid=$(default_id KELVANE_DEFAULT_VID "$header")
  pid=$(default_id KELVANE_DEFAULT_PID "$header")
  local want=("SUBSYSTEM==\"hidraw\"" "ATTRS{idVendor}==\"$vid\"" "ATTRS{idProduct}==\"$pid\""
              "TAG+=\"uaccess\"" "GROUP=\"plugdev\"" "MODE=\"0660\"")
  local line found=0 w ok
  while IFS= read -r line; do
    [[ $line =~ ^[[:space:]]*# ]] && continue
    ok=1
    for w in "${want[@]}"; do
      [[ ", $line," == *", $w,"* ]] || ok=0
    done
    [ $ok = 0 ] || found=1
  done <"$rule"
  [ $found = 1 ] || fail "no rule with all of: ${want[*]}"
  say "default identifiers: ATTRS{idVendor}==\"$vid\", ATTRS{idProduct}==\"$pid\"; uaccess, plugdev, 0660"
  # The kernel's own form, where this machine has USB devices to show it.
  local shown=0 f
  for f in /sys/bus/usb/devices/*/idVendor /sys/bus/usb/devices/*/idProduct; do
    [ -r "$f" ] || continue
    [[ $(<"$f") =~ ^[0-9a-f]{4}$ ]] || fail "$f holds $(<"$f"), not four lower-case hexadecimal digits"
    shown=$((shown + 1))
  done
  say "kernel attribute form: $([ $shown -gt 0 ] && echo "seen in $shown sysfs files" || echo "no USB device here to look at")"
}

check() {
  local rule=$1 header=$2
  [ -r "$rule" ] || fail "cannot read $rule"
  token_form "$rule"
  access_rule "$rule" "$header"
  udev_syntax "$rule"
}

if [ "${1:-}" = --refuses-faults ]; then
  rule=$2 header=$3
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  spoil() { sed -E "$1" "$rule" >"$work/70-kelvane.rules"; }
  faults=(
    's/"4b56"/"4B56"/'                          # upper-case digits: udev would never match
    's/ATTRS\{idVendor\}=="1209"/ATTRS{idVendor}=="0x1209"/'
    's/, TAG\+="uaccess"//'                       # no access for the seat user
    's/GROUP="plugdev"/GROUP=="plugdev"/'        # a comparison where an assignment belongs
    's/, MODE=/ MODE=/'                           # tokens without a comma
    's/SUBSYSTEM==/SUBSYSTEMZ==/'                 # a key udev does not know
    's/MODE="0660"/MODE="0660/'                   # an unterminated value
  )
  for f in "${faults[@]}"; do
    spoil "$f"
    cmp -s "$rule" "$work/70-kelvane.rules" && { echo "FAIL: the change $f does not apply"; exit 1; }
    if (check "$work/70-kelvane.rules" "$header" >/dev/null); then
      echo "FAIL: a rule spoilt by $f passes the check"
      exit 1
    fi
  done
  echo "each of ${#faults[@]} spoilt rules fails the check"
  exit 0
fi

check "$1" "$2"
