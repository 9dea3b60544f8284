#!/bin/sh
# Redraws the window pictures from ImageMagick draw primitives and the Liberation Sans font.
# Run from anywhere; the pictures are written beside this script.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# JPEGs keep full chroma resolution, so thin coloured edges and the magenta key stay clean.
jpeg() { convert "$1" -alpha off -strip -interlace none -sampling-factor 1x1 -quality "$3" "$2"; }

# keyed SRC OUT SIZE: shrink a transparent drawing, harden its outline (a pixel is either
# shape or key, never a pink blend of both) and lay it on the magenta the program keys out.
keyed() {
  convert "$1" -resize "$3x$3" \
    \( +clone -alpha extract -threshold 50% \) -compose copy-opacity -composite \
    -background '#ff00ff' -compose over -flatten -alpha off "$tmp/keyed.png"
  jpeg "$tmp/keyed.png" "$2" 95
}

# Window icons are full squares: drawn large, shrunk smoothly.
square() {
  convert "$1" -resize 32x32 "$tmp/square.png"
  jpeg "$tmp/square.png" "$2" 95
}

# Training centre logo: a shield with a hard hat and a tick, the name beside it.
BLUE='#0b2d6b'
convert -size 499x117 xc:white -fill "$BLUE" -stroke none \
  -draw "path 'M 14,14 L 60,5 L 106,14 L 106,54 C 106,82 86,101 60,112 C 34,101 14,82 14,54 Z'" \
  -fill white \
  -draw "path 'M 22,20 L 60,12 L 98,20 L 98,54 C 98,77 82,93 60,103 C 38,93 22,77 22,54 Z'" \
  -fill "$BLUE" -draw "ellipse 60,56 27,26 180,360" -draw "roundrectangle 27,54 93,63 4,4" \
  -fill white -draw "roundrectangle 56,28 64,52 3,3" \
  -fill "$BLUE" -draw "roundrectangle 58,30 62,52 2,2" \
  -stroke "$BLUE" -strokewidth 7 -fill none \
  -draw "stroke-linecap round stroke-linejoin round polyline 43,78 54,89 77,69" -stroke none \
  -fill "$BLUE" -font Liberation-Sans-Bold -pointsize 54 -annotate +122+64 'ИНСТРУКТАЖ' \
  -draw "rectangle 125,74 491,77" \
  -font Liberation-Sans -pointsize 26.6 -annotate +123+104 'Учебный центр охраны труда' \
  "$tmp/logo.png"
jpeg "$tmp/logo.png" logo.jpg 92

# Organisation logo: a blue gear round a hard hat, dark lettering on a light ground.
GEAR='#1f5fbf'
DARK='#1c2633'
LIGHT='#eef3f9'
teeth=""
for a in 0 45 90 135; do
  teeth="$teeth push graphic-context translate 35,35 rotate $a roundrectangle -6,-31 6,31 2,2 pop graphic-context"
done
convert -size 311x69 xc:"$LIGHT" -fill "$GEAR" -stroke none \
  -draw "$teeth" -draw "circle 35,35 35,9" \
  -fill "$LIGHT" -draw "circle 35,35 35,15" \
  -fill "$GEAR" -draw "ellipse 35,38 13,14 180,360" -draw "roundrectangle 18,37 52,43 3,3" \
  -fill "$LIGHT" -draw "roundrectangle 33,25 37,36 1,1" \
  -fill "$DARK" -font Liberation-Sans-Bold -pointsize 23 -annotate +77+32 'ЗАВОД «ОБРАЗЕЦ»' \
  -fill "$GEAR" -draw "rectangle 78,40 301,41" \
  -fill "$DARK" -font Liberation-Sans -pointsize 18 -annotate +77+60 'Служба охраны труда' \
  -alpha off -type TrueColor BMP3:orglogo.bmp

# Start button: a green round button with a white arrow to the right.
convert -size 256x256 xc:none \
  -fill '#1e7a2e' -draw "circle 128,128 128,6" \
  -fill '#2fa84a' -draw "circle 128,128 128,20" \
  -fill '#5cc96f' -draw "ellipse 128,84 80,44 0,360" \
  -fill '#2fa84a' -draw "ellipse 128,118 98,50 0,360" \
  -fill white -draw "polygon 70,106 136,106 136,66 196,128 136,190 136,150 70,150" \
  "$tmp/start.png"
keyed "$tmp/start.png" start.jpg 32

# "Начать тестирование": a red pencil with its point at the lower left, trailing a blue line.
convert -size 256x256 xc:none \
  -fill '#1f4fd8' -draw "roundrectangle 24,214 250,242 12,12" \
  -draw "push graphic-context translate 26,222 rotate -45 \
     fill '#e0262d' rectangle 60,-34 250,34 \
     fill '#a3151b' rectangle 60,10 250,34 \
     fill '#8a8a92' rectangle 250,-34 290,34 \
     fill '#f2c99a' polygon 60,-34 60,34 0,0 \
     fill '#202024' polygon 24,-14 24,14 0,0 \
     pop graphic-context" \
  "$tmp/pencil.png"
keyed "$tmp/pencil.png" pencil.jpg 16

# "Ответить !": a bold green tick.
tick="stroke-linecap round stroke-linejoin round polyline 40,136 100,196 216,60"
convert -size 256x256 xc:none -fill none \
  -stroke '#145c22' -strokewidth 62 -draw "$tick" \
  -stroke '#34b24c' -strokewidth 38 -draw "$tick" \
  -stroke '#7fdc8f' -strokewidth 10 \
  -draw "stroke-linecap round line 46,128 98,180" -draw "stroke-linecap round line 110,178 206,66" \
  "$tmp/answer.png"
keyed "$tmp/answer.png" answer.jpg 32

# Entry window icon: a yellow hard hat on blue.
convert -size 256x256 gradient:'#2f6fd0-#123f8c' \
  -fill '#0b2a5e' -draw "roundrectangle 22,170 234,204 16,16" \
  -fill '#f6c21c' -draw "ellipse 128,168 86,96 180,360" -draw "roundrectangle 18,160 238,192 16,16" \
  -fill '#d99a00' -draw "roundrectangle 116,66 140,164 10,10" -draw "rectangle 40,178 216,184" \
  "$tmp/icon-entry.png"
square "$tmp/icon-entry.png" icon-entry.jpg

# Study window icon: an open book on green.
convert -size 256x256 gradient:'#2fa84a-#17702c' \
  -fill '#0f4d1e' -draw "path 'M 20,70 L 128,88 L 236,70 L 236,206 L 128,224 L 20,206 Z'" \
  -fill white -draw "path 'M 30,62 C 70,56 108,64 124,80 L 124,210 C 104,196 70,190 30,196 Z'" \
  -fill '#f1f1ea' -draw "path 'M 226,62 C 186,56 148,64 132,80 L 132,210 C 152,196 186,190 226,196 Z'" \
  -stroke '#8a9aa8' -strokewidth 7 -fill none \
  -draw "line 48,98 106,104" -draw "line 48,124 106,130" -draw "line 48,150 106,156" -draw "line 48,176 92,180" \
  -draw "line 150,104 208,98" -draw "line 150,130 208,124" -draw "line 150,156 208,150" -draw "line 150,180 194,176" \
  "$tmp/icon-study.png"
square "$tmp/icon-study.png" icon-study.jpg

# Test window icon: a clipboard with two ticks and a cross, on dark red.
convert -size 256x256 gradient:'#d0422f-#8c1d12' \
  -fill '#5a3a1a' -draw "roundrectangle 44,30 212,236 16,16" \
  -fill white -draw "rectangle 60,52 196,222" \
  -fill '#9aa3ad' -draw "roundrectangle 92,18 164,56 10,10" \
  -fill '#c7cdd3' -draw "roundrectangle 100,26 156,48 6,6" \
  -fill none -stroke '#1e9a3a' -strokewidth 14 \
  -draw "stroke-linecap round stroke-linejoin round polyline 74,96 88,110 112,84" \
  -draw "stroke-linecap round stroke-linejoin round polyline 74,146 88,160 112,134" \
  -stroke '#d0422f' -draw "stroke-linecap round line 76,184 106,208" -draw "stroke-linecap round line 106,184 76,208" \
  -stroke '#3b4652' -strokewidth 12 \
  -draw "stroke-linecap round line 128,98 182,98" -draw "stroke-linecap round line 128,148 182,148" \
  -draw "stroke-linecap round line 128,198 182,198" \
  "$tmp/icon-test.png"
square "$tmp/icon-test.png" icon-test.jpg
