# Working HxSetup's dialogs through the X server as a user would: windows found by their exact
# title, keys sent to a focused window, clicks placed from the dialog templates' own dialog
# units. Shared by scripts/run and the end-to-end tests (e2e/). Source it; it defines functions.
#
# Xvfb has no window manager, so a top-level window is its client area alone; its measured size
# divided by the template's size in dialog units gives the pixels per dialog unit, whatever font
# the dialog got.

# Template sizes in dialog units.
HX_MAIN_DU="283 268"   # "Tarnwell Setup Utility"
HX_POOL_DU="183 164"   # "Extend Halcyonix Maximum Size"

# Centres of the controls that a user presses, in dialog units (x y).
HX_DU_OK="239 15"
HX_DU_CANCEL="239 35"
HX_DU_SELECT="72 246"
HX_DU_EXTEND="210 166"
# A row's text in the drive list: rows start below the column header, about 9 units apart.
HX_DU_ROW0="30 23"
HX_DU_ROW_STEP=9
HX_DU_POOL_OK="127 146"
HX_DU_POOL_CANCEL="55 146"
HX_DU_POOL_DEFAULT="55 124"
HX_DU_POOL_MAXIMUM="127 124"

# The painted panels, in client pixels (they do not follow the font), as the program itself
# places and colours them: read from its src/ui/PanelLayout.h. Prints the numbers of constant
# $1 there, blank-separated ("kStatusRect" -> "230 116 400 166").
hx_layout() {
    sed -n "s/^constexpr [A-Z]* $1 = [A-Z]*[{(]\([0-9, ]*\)[})];.*/\1/p" \
        "$(dirname "${BASH_SOURCE[0]}")/../src/ui/PanelLayout.h" | tr -d ,
}
# A point 6 pixels inside each panel's lower left corner, clear of its texts; the fill colours as
# "r,g,b"; the status panel as an ImageMagick region.
read -r HX_L HX_T HX_R HX_B <<<"$(hx_layout kPropertiesRect)"
HX_PX_PROPERTIES="$((HX_L + 6)) $((HX_B - 6))"
read -r HX_L HX_T HX_R HX_B <<<"$(hx_layout kStatusRect)"
HX_PX_STATUS="$((HX_L + 6)) $((HX_B - 6))"
HX_STATUS_REGION="$((HX_R - HX_L))x$((HX_B - HX_T))+$HX_L+$HX_T"
unset HX_L HX_T HX_R HX_B
HX_RGB_PROPERTIES=$(hx_layout kPropertiesColour | tr ' ' ,)
HX_RGB_STATUS=$(hx_layout kStatusColour | tr ' ' ,)

# Prints the id of the visible window titled exactly $1, waiting up to $2 seconds (30).
hx_wait_window() {
    local title=$1 timeout=${2:-30} i id
    for i in $(seq $((timeout * 10))); do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Succeeds when window $1 is gone (closed or unmapped) within $2 seconds (30).
hx_wait_window_gone() {
    local id=$1 timeout=${2:-30} i
    for i in $(seq $((timeout * 10))); do
        xdotool search --onlyvisible --name '.*' 2>/dev/null | grep -qx "$id" || return 0
        sleep 0.1
    done
    return 1
}

# Sets HX_W and HX_H to the measured size of window $1.
hx_geometry() {
    local WIDTH HEIGHT X Y SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    HX_W=$WIDTH
    HX_H=$HEIGHT
}

# Sends keys to window $1 after focusing it.
hx_key() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    xdotool key --window "$id" --delay 50 "$@"
}

# Clicks window $1 at dialog units ($2, $3) of a template of $4 x $5 units.
hx_click_du() {
    local id=$1 x=$2 y=$3 tw=$4 th=$5 px py
    hx_geometry "$id"
    px=$(((2 * x * HX_W + tw) / (2 * tw)))
    py=$(((2 * y * HX_H + th) / (2 * th)))
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    xdotool mousemove --window "$id" --sync "$px" "$py" click 1
}

# Prints the colour of pixel ($2, $3) of window $1 as r,g,b.
hx_pixel() {
    import -window "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null |
        sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# Waits up to $5 seconds (15) for pixel ($2, $3) of window $1 to have the colour $4 (r,g,b).
hx_wait_pixel() {
    local id=$1 x=$2 y=$3 rgb=$4 timeout=${5:-15} i
    for i in $(seq $((timeout * 5))); do
        [ "$(hx_pixel "$id" "$x" "$y")" = "$rgb" ] && return 0
        sleep 0.2
    done
    return 1
}

# A checksum of the pixels of region $2 (WxH+X+Y) of window $1.
hx_region_sum() {
    import -window "$1" -crop "$2" -depth 8 rgb:- 2>/dev/null | md5sum | cut -c1-32
}

# Waits up to $4 seconds (15) for region $2 of window $1 to differ from checksum $3.
hx_wait_region_change() {
    local id=$1 region=$2 old=$3 timeout=${4:-15} i
    for i in $(seq $((timeout * 5))); do
        [ "$(hx_region_sum "$id" "$region")" != "$old" ] && return 0
        sleep 0.2
    done
    return 1
}

hx_screenshot() {
    import -window "$1" "$2" 2>/dev/null
}

# The typical run after an installation, from the notice to OK: pick the RAM disk "S:",
# configure it, look at the pool dialog and cancel it, then confirm. $1 is the pid of the
# program's launcher, $2 the directory for the screenshots. Whatever the command-line text,
# the walk follows what the program shows and stops when it ends.
hx_walk_typical_run() {
    local app=$1 shots=$2 id="" title pool status i
    mkdir -p "$shots"
    # The notice, if any, or straight the main dialog; or the program ends after a box.
    for i in $(seq 600); do
        for title in "Setup Complete" "Setup Failed" "Installation Cancelled" \
            "Halcyonix Not Configured" "HxSetup" "Tarnwell Setup Utility"; do
            id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1) || true
            [ -n "$id" ] && break 2
        done
        kill -0 "$app" 2>/dev/null || { echo "walk: the program ended" >&2; return 0; }
        sleep 0.1
    done
    [ -n "$id" ] || { echo "walk: nothing appeared" >&2; return 1; }
    if [ "$title" != "Tarnwell Setup Utility" ]; then
        echo "walk: box \"$title\": pressing Enter" >&2
        hx_key "$id" Return
        hx_wait_window_gone "$id" 10 || true
        if ! id=$(hx_wait_window "Tarnwell Setup Utility" 20); then
            echo "walk: no main dialog followed" >&2
            return 0
        fi
    fi
    hx_geometry "$id"
    echo "walk: main dialog, client area ${HX_W} x ${HX_H} pixels" >&2
    # The start status appears 200 ms after the dialog opens.
    hx_wait_pixel "$id" $HX_PX_STATUS "$HX_RGB_STATUS" 10 || echo "walk: no start status" >&2
    # The pick: the RAM disk is the last row; with no small fixed drive it is the first.
    hx_click_du "$id" $HX_DU_ROW0 $HX_MAIN_DU
    hx_wait_pixel "$id" $HX_PX_PROPERTIES "$HX_RGB_PROPERTIES" 10 || echo "walk: no properties panel" >&2
    hx_screenshot "$id" "$shots/1-picked.png"
    status=$(hx_region_sum "$id" "$HX_STATUS_REGION")
    hx_click_du "$id" $HX_DU_SELECT $HX_MAIN_DU
    hx_wait_region_change "$id" "$HX_STATUS_REGION" "$status" 10 || echo "walk: status unchanged" >&2
    hx_screenshot "$id" "$shots/2-configured.png"
    hx_click_du "$id" $HX_DU_EXTEND $HX_MAIN_DU
    if pool=$(hx_wait_window "Extend Halcyonix Maximum Size" 15); then
        sleep 0.3
        hx_screenshot "$pool" "$shots/3-pool-dialog.png"
        hx_click_du "$pool" $HX_DU_POOL_CANCEL $HX_POOL_DU
        hx_wait_window_gone "$pool" 10 || echo "walk: the pool dialog stays" >&2
    else
        echo "walk: no pool dialog" >&2
    fi
    hx_click_du "$id" $HX_DU_OK $HX_MAIN_DU
    for i in $(seq 300); do
        kill -0 "$app" 2>/dev/null || return 0
        sleep 0.1
    done
    echo "walk: the program did not end after OK" >&2
    return 1
}
