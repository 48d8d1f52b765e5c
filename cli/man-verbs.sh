#!/bin/sh
# Writes the VERBS section of darvo's manual page (a help2man include file)
# from each verb's own --help: man-verbs.sh DARVO OUTPUT
darvo=$1
out=$2
{
    echo "[VERBS]"
    for verb in status receipt recover report clock rates header check discover trace version; do
        echo ".SS $verb"
        echo ".nf"
        "$darvo" "$verb" --help | sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/"
        echo ".fi"
    done
} >"$out"
