# shellcheck shell=bash
# What the latency benchmarks share: the relay in front of a test DC, the 10-level closure they
# load, and the way they time and print. Sourced by bench/latency, bench/latency-review and
# bench/latency-trust after they set $relay (the relay program), $state (a scratch folder) and
# RELAY_LIFETIME; the relay's pid is kept in $relay_pid for the caller's cleanup.

relay_pid=

# Leads the DC names of namespace $1 to the relay addresses and makes Kerberos use TCP, so that
# its traffic goes through the relay too: $2 is the krb5.conf of the test environment (copied to
# $state/krb5.conf), then pairs RELAY_IP=DC_IP (as the relay's LISTEN=TARGET).
reroute_to_relay() {
  local netns=$1 krb5=$2 pair
  shift 2
  for pair in "$@"; do
    ip netns exec "$netns" ip addr add "${pair%=*}/32" dev lo
    sed -i "s/^${pair#*=} /${pair%=*} /" "/etc/netns/$netns/hosts"
  done
  sed 's/^\[libdefaults\]$/[libdefaults]\n    udp_preference_limit = 1/' "$krb5" >"$state/krb5.conf"
}

# Starts the relay in namespace $1 for a round trip of $2 ms; then LISTEN=TARGET pairs.
start_relay() {
  local netns=$1 rtt=$2
  shift 2
  ip netns exec "$netns" "$relay" $((rtt / 2)) "$RELAY_LIFETIME" "$@" &
  relay_pid=$!
  sleep 0.5
}

stop_relay() {
  [[ -n $relay_pid ]] || return 0
  kill "$relay_pid" 2>/dev/null
  wait "$relay_pid" 2>/dev/null
  relay_pid=
}

# The relay pairs of the LDAP, GC and Kerberos ports of each RELAY_IP=DC_IP pair.
relay_ports() {
  local pair port
  for pair in "$@"; do
    for port in 389 3268 88; do printf '%s:%s=%s:%s\n' "${pair%=*}" "$port" "${pair#*=}" "$port"; done
  done
}

# The LDIF of $2 levels of $3 groups under $1, each group in two groups of the next level, every
# group of the first level holding $4.
closure_ldif() {
  local ou=$1 levels=$2 width=$3 member=$4 level i
  for ((level = 1; level <= levels; level++)); do
    for ((i = 0; i < width; i++)); do
      printf 'dn: CN=L%02d-%03d,%s\nobjectClass: group\nsAMAccountName: L%02d-%03d\n' \
        "$level" "$i" "$ou" "$level" "$i"
      if ((level == 1)); then
        printf 'member: %s\n' "$member"
      else
        printf 'member: CN=L%02d-%03d,%s\n' $((level - 1)) "$i" "$ou"
        printf 'member: CN=L%02d-%03d,%s\n' $((level - 1)) $(((i + width - 1) % width)) "$ou"
      fi
      printf '\n'
    done
  done
}

# Milliseconds of the command, which prints nothing on standard output.
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@" || return 1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

# The middle one of three numbers.
middle() { printf '%s\n' "$@" | sort -n | sed -n 2p; }

# Milliseconds of the command, the median of three runs: a run of a second or two varies by a
# tenth.
median_ms() {
  local first second third
  first=$(time_ms "$@") || return 1
  second=$(time_ms "$@") || return 1
  third=$(time_ms "$@") || return 1
  middle "$first" "$second" "$third"
}

# 1234 ms as "1.23"
seconds() { printf '%d.%02d' $(($1 / 1000)) $(($1 % 1000 / 10)); }

# 2500 and 1000 as "2.5"
ratio() {
  # Rounded, not cut: 3.37 s against 2.15 s is 1.6.
  local divisor=$(($2 > 0 ? $2 : 1))
  local tenths=$((($1 * 10 + divisor / 2) / divisor))
  printf '%d.%d' $((tenths / 10)) $((tenths % 10))
}
