# The Wine settings of every run, sourced by scripts/common.sh and
# cmake/wine-run.sh: no Mono or Gecko prompts, and no debug chatter.
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
