# Sourced by the window scripts (after private-pulse.sh): the real quorvel window on a
# private Xvfb display, driven with xdotool, so that a test never touches the user's display.
#
#   private_x_start DIR            starts Xvfb; exports DISPLAY; logs in DIR
#   window_start QUORVEL DIR [INI] starts quorvel in DIR/run with the shipped tone sets and
#                                  the settings record INI (else the one left there); sets
#                                  WINDOW_APP (its pid)
#   window_find                    waits for the main window; sets WINDOW_ID, focuses it
#   window_caption_ms [OTHER]      waits for a play time (other than OTHER ms) in the caption;
#                                  prints it
#   box_find TITLE [SECONDS]       waits for a message box; sets BOX_ID
#   box_offset                     prints how far the box's centre lies from the window's
#                                  (while it is shown, else the screen's), as "DX DY"
#   box_text                       prints the box's text (copied with Ctrl+C)
#   box_close                      dismisses the box with Return
#   window_close                   asks the window to close and waits for the process
#   window_end SECONDS             waits for quorvel to end; returns its exit status
#   private_x_stop                 stops quorvel and Xvfb, by pid
#
# Needs Xvfb, xdotool, xclip and python3.

PRIVATE_X_PID=""
WINDOW_APP=""
WINDOW_ID=""
BOX_ID=""
PRIVATE_X_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

private_x_start() {
    local dir=$1
    # Xvfb picks a free display and writes its number to the descriptor given.
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$dir/display" \
        2>"$dir/xvfb.log" &
    PRIVATE_X_PID=$!
    for _ in $(seq 100); do
        [[ -s "$dir/display" ]] && break
        sleep 0.1
    done
    [[ -s "$dir/display" ]] || { echo "Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$dir/display")"
    # The server must take a client before the window is started on it. (-noreset: a server
    # that resets when its last client leaves refuses connections for a moment.)
    for _ in $(seq 100); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb on $DISPLAY takes no client" >&2
    return 1
}

private_x_stop() {
    stop_pid "$WINDOW_APP"
    WINDOW_APP=""
    stop_pid "$PRIVATE_X_PID"
    PRIVATE_X_PID=""
}

# WINDOW_ARGS: the window's options, none by default.
WINDOW_ARGS=()
window_start() {
    local quorvel=$1 dir=$2 ini=${3:-}
    mkdir -p "$dir/run"
    cp "$PRIVATE_X_HERE/../../data/TONESETS.INI" "$dir/run/"
    [[ $# -lt 3 ]] || printf '%s\r\n' "$ini" >"$dir/run/Quorvel.ini"
    (cd "$dir/run" && exec "$quorvel" "${WINDOW_ARGS[@]}") >"$dir/quorvel.log" 2>&1 &
    WINDOW_APP=$!
}

window_find() {
    WINDOW_ID=""
    # Qt creates and destroys helper windows while it starts, which can fail a search midway.
    for _ in $(seq 200); do
        WINDOW_ID=$(xdotool search --onlyvisible --name '^Quorvel v3' 2>/dev/null | head -n1 || true)
        [[ -n "$WINDOW_ID" ]] && break
        kill -0 "$WINDOW_APP" 2>/dev/null || break
        sleep 0.1
    done
    [[ -n "$WINDOW_ID" ]] || { echo "the window did not appear" >&2; return 1; }
    xdotool windowfocus --sync "$WINDOW_ID"
}

window_caption_ms() {
    local caption="" other=${1:-}
    for _ in $(seq 300); do
        caption=$(xdotool getwindowname "$WINDOW_ID")
        if [[ "$caption" =~ ^Quorvel\ v3\ -\ ([0-9]+)mS$ && "${BASH_REMATCH[1]}" != "$other" ]]; then
            echo "${BASH_REMATCH[1]}"
            return 0
        fi
        sleep 0.1
    done
    echo "the caption never showed a new play time: '$caption'" >&2
    return 1
}

box_find() {
    local title=$1 tries=$((${2:-10} * 10))
    BOX_ID=""
    for _ in $(seq "$tries"); do
        BOX_ID=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1 || true)
        [[ -n "$BOX_ID" ]] && return 0
        sleep 0.1
    done
    echo "no box titled '$title' appeared" >&2
    return 1
}

box_offset() {
    local X Y WIDTH HEIGHT SCREEN WINDOW box_x box_y
    eval "$(xdotool getwindowgeometry --shell "$BOX_ID")"
    box_x=$((X + WIDTH / 2)) box_y=$((Y + HEIGHT / 2))
    if [[ -n "$WINDOW_ID" ]] &&
        xdotool search --onlyvisible --name '^Quorvel v3' 2>/dev/null | grep -qx "$WINDOW_ID"; then
        eval "$(xdotool getwindowgeometry --shell "$WINDOW_ID")"
    else
        read -r WIDTH HEIGHT < <(xdotool getdisplaygeometry)
        X=0 Y=0
    fi
    echo "$((box_x - X - WIDTH / 2)) $((box_y - Y - HEIGHT / 2))"
}

box_text() {
    local text=""
    xdotool windowfocus --sync "$BOX_ID"
    for _ in $(seq 20); do
        xdotool key ctrl+c
        sleep 0.2
        text=$(timeout 5 xclip -selection clipboard -o 2>/dev/null || true)
        [[ -z "$text" ]] || break
    done
    printf '%s\n' "$text"
}

box_close() {
    xdotool windowfocus --sync "$BOX_ID"
    xdotool key Return
    for _ in $(seq 50); do
        xdotool getwindowname "$BOX_ID" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    echo "the box did not close" >&2
    return 1
}

window_close() {
    python3 "$PRIVATE_X_HERE/close-window.py" "$WINDOW_ID"
    window_end 10
}

# window_end SECONDS: waits for quorvel to end; returns its exit status (124: it still runs).
window_end() {
    local status=0
    wait_exit "$WINDOW_APP" "$1" || status=$?
    ((status == 124)) || WINDOW_APP=""
    return "$status"
}
