#!/bin/sh
# Writes the manual page $1 as plain UTF-8 text to $2, for systems without man: no escape
# sequences, no overstriking, no hyphenation, and groff's hyphens and minus signs as the ASCII
# "-" that is typed in a switch.
set -e
hyphen=$(printf '\342\200\220')
minus=$(printf '\342\210\222')
GROFF_NO_SGR=1 groff -man -Tutf8 -rHY=0 -P-bcou "$1" | sed "s/$hyphen/-/g; s/$minus/-/g" >"$2"
