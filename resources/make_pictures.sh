#!/usr/bin/env bash
# Draws the program's own pictures with ImageMagick: the four card bitmaps
# (resources/res/*.bmp, read beside the executable), the toolbar pictures
# (src/ui/pictures/*.png, compiled into the program) and the program's icon in every
# size (resources/icons/, installed and compiled into the program). Run it once after
# changing a drawing and commit what it writes.
set -euo pipefail
cd "$(dirname "$0")/.."
RES=resources/res
PIC=src/ui/pictures
mkdir -p "$RES" "$PIC"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# Card background: the bottom-left pixel's colour turns transparent on screen. It is
# a hair off the panels' grey so that the anti-aliased rims blend into the panel.
BG='#E0E0E1'

card() { # out body rim chip glow
    convert -size 86x80 "xc:$BG" \
        -fill "$2" -stroke "$3" -strokewidth "$5" -draw "roundrectangle 2,5 83,75 8,8" \
        -stroke none -fill '#ffffff22' -draw "polygon 4,7 60,7 20,73 4,73" \
        -fill "$4" -draw "roundrectangle 9,9 21,19 2,2" \
        -stroke '#00000055' -strokewidth 1 -draw "line 15,9 15,19" -draw "line 9,14 21,14" \
        -stroke none -fill '#ffffff55' -draw "circle 70,14 70,19" -fill '#ffffff33' -draw "circle 63,14 63,19" \
        -fill '#00000040' -draw "rectangle 4,44 81,50" \
        -alpha off -type TrueColor "BMP3:$1"
}
card "$RES/acc.bmp"   '#1d2d5c' '#0c1638' '#b8953a' 1
card "$RES/acc_f.bmp" '#2f56b8' '#ffd23f' '#ffd95a' 3

wallet() { # out body flap rim width
    convert -size 86x80 "xc:$BG" \
        -fill "$2" -stroke "$4" -strokewidth "$5" -draw "roundrectangle 3,6 82,75 9,9" \
        -stroke none -fill '#ffffff18' -draw "roundrectangle 6,9 79,20 6,6" \
        -fill "$3" -stroke "$4" -strokewidth 1 -draw "roundrectangle 58,40 84,54 5,5" \
        -fill '#e8c468' -stroke none -draw "circle 77,47 77,50" \
        -stroke '#00000050' -strokewidth 1 -fill none -draw "roundrectangle 7,10 78,71 6,6" \
        -alpha off -type TrueColor "BMP3:$1"
}
wallet "$RES/wallet.bmp"   '#5a3418' '#3f2210' '#2a1608' 1
wallet "$RES/wallet_f.bmp" '#9a5a22' '#6e3d15' '#ffd23f' 3

# Toolbar pictures, 32 x 32, indexes 0..10.
icon() { local out=$1; shift; convert -size 32x32 xc:none "$@" "PNG32:$PIC/$out"; }
icon tool00.png -fill '#e9d38a' -stroke '#8a6d1c' -draw "roundrectangle 3,18 28,29 3,3" \
    -fill '#2e9b3a' -stroke '#1b6124' -draw "polygon 16,17 7,8 12,8 12,2 20,2 20,8 25,8"
icon tool01.png -fill '#e9d38a' -stroke '#8a6d1c' -draw "roundrectangle 3,18 28,29 3,3" \
    -fill '#d2372c' -stroke '#84201a' -draw "polygon 16,1 7,10 12,10 12,16 20,16 20,10 25,10"
icon tool02.png -fill '#2f6fd0' -stroke '#173e7a' \
    -draw "polygon 2,10 10,3 10,7 24,7 24,13 10,13 10,17" \
    -fill '#2e9b3a' -stroke '#1b6124' -draw "polygon 30,22 22,15 22,19 8,19 8,25 22,25 22,29"
icon tool03.png -fill '#ffffff' -stroke '#55606e' -draw "polygon 6,2 20,2 26,8 26,30 6,30" \
    -fill '#cfd6df' -draw "polygon 20,2 20,8 26,8" \
    -stroke '#2f6fd0' -strokewidth 2 -draw "line 10,13 22,13" -draw "line 10,18 22,18" -draw "line 10,23 18,23"
icon tool04.png -fill '#fdf6e3' -stroke '#6b4f1d' -strokewidth 2 -draw "circle 16,16 16,3" \
    -stroke '#222222' -draw "line 16,16 16,7" -draw "line 16,16 23,19" -fill '#222222' -draw "circle 16,16 16,17"
icon tool05.png -fill '#2f6fd0' -stroke '#173e7a' -draw "circle 16,16 16,2" \
    -stroke none -fill white -font "$FONT" -pointsize 22 -gravity center -annotate +0+1 '?'
icon tool06.png -fill '#cfd6df' -stroke '#55606e' -draw "rectangle 4,12 28,24" \
    -fill white -draw "rectangle 9,3 23,12" -draw "rectangle 9,20 23,29"
icon tool07.png -fill '#8a5a2b' -stroke '#4d3016' -draw "rectangle 5,2 19,30" \
    -fill '#e8c468' -stroke none -draw "circle 16,17 16,18" \
    -fill '#d2372c' -stroke '#84201a' -draw "polygon 30,16 23,9 23,13 14,13 14,19 23,19 23,23"
icon tool08.png -fill none -stroke '#55606e' -strokewidth 3 -draw "circle 13,13 13,5" -draw "line 19,19 28,28"
icon tool09.png -fill '#2e9b3a' -stroke '#1b6124' -draw "roundrectangle 4,4 28,28 3,3" \
    -fill white -stroke none -draw "rectangle 9,9 23,11" -draw "rectangle 9,15 23,17" -draw "rectangle 9,21 23,23"
icon tool10.png -fill '#5fb0e8' -stroke '#1d5d8f' -strokewidth 1.5 -draw "circle 16,16 16,2" \
    -fill none -draw "ellipse 16,16 6,14 0,360" -draw "line 2,16 30,16" -draw "line 16,2 16,30" \
    -draw "line 5,9 27,9" -draw "line 5,23 27,23"
# The history window's record commands: edit (a pencil over a page), delete (a red
# cross over a page), copy (two pages).
icon tool11.png -fill '#ffffff' -stroke '#55606e' -draw "polygon 4,2 18,2 24,8 24,30 4,30" \
    -fill '#e8c468' -stroke '#8a6d1c' -draw "polygon 14,24 27,7 31,11 18,28 13,30" \
    -fill '#d2372c' -stroke none -draw "polygon 27,7 29,4 33,8 31,11"
icon tool12.png -fill '#ffffff' -stroke '#55606e' -draw "polygon 4,2 18,2 24,8 24,30 4,30" \
    -stroke '#d2372c' -strokewidth 4 -draw "line 12,12 28,28" -draw "line 28,12 12,28"
icon tool13.png -fill '#cfd6df' -stroke '#55606e' -draw "polygon 3,2 15,2 20,7 20,22 3,22" \
    -fill '#ffffff' -draw "polygon 12,9 24,9 29,14 29,30 12,30" \
    -stroke '#2f6fd0' -strokewidth 2 -draw "line 15,17 26,17" -draw "line 15,22 26,22" -draw "line 15,27 22,27"
# The program's icon, drawn in icons/velmora-budget.svg: the sizes the desktop's icon
# theme takes, also compiled into the program for its windows.
for size in 16 22 24 32 48 64 128 256; do
    convert -background none resources/icons/velmora-budget.svg -resize "${size}x${size}" -strip \
        "PNG32:resources/icons/velmora-budget-$size.png"
done
