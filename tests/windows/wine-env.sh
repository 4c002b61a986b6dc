# Sourced by the scripts that run Windows programs under Wine: a prefix of their own (made once,
# about 700 MB), no Wine lines on standard error, no Mono or Gecko prompts, and a UTF-8 locale
# (under LC_ALL=C Wine strips the high bit of each argument byte).
#   NESTWALK_WINE_PREFIX  the prefix (default /var/tmp/nestwalk-wine-<name given to wine_env>)
# wine_env NAME: exports the environment; wine_start: makes the prefix if needed and starts a
# persistent wineserver with Wine's services (a run then costs 0.05 s instead of 0.6 s);
# wine_stop: ends them.

wine_env() {
  export WINEPREFIX=${NESTWALK_WINE_PREFIX:-/var/tmp/nestwalk-wine-$1}
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES='mscoree,mshtml='
  export LC_ALL=C.UTF-8
}

wine_start() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "Making the Wine prefix $WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
  fi
  # Fails when this prefix's server already runs, which serves as well.
  wineserver -p 2>/dev/null || true
  # The first program of a server session starts Wine's background services, which keep its
  # standard streams open: a test runner reading them would wait for them to end. They start
  # here instead, with streams of their own.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_stop() {
  wineserver -k 2>/dev/null || true
}
