# The cleaning done by an awk program, for the benchmark to compare with: lines
# split at LF with one CR before it dropped, POBS tables left out up to the next
# line that starts with %T or %E (letters in any case), every kept line ended
# with CR LF. Exact for input without NUL bytes. Run with LC_ALL=C, so that
# bytes 0x80-0xFF are single characters.
BEGIN { RS = "\r?\n"; ORS = "\r\n" }
/^%[Tt]\t[Pp][Oo][Bb][Ss]$/ { skipping = 1; next }
skipping && /^%[TtEe]/ { skipping = 0 }
!skipping
