# The class keys of both hives in both registry views, exported (sourced; needs
# $run, $work and to_windows). A failed export ends the test: empty files
# would compare equal whatever the registry holds.
#   snapshot NAME   writes $work/NAME-HKLM-32.reg ... $work/NAME-HKCU-64.reg
snapshot() {
    local key view file
    for key in 'HKLM\Software\Classes' 'HKCU\Software\Classes'; do
        for view in 32 64; do
            file="$work/$1-${key%%\\*}-$view.reg"
            # A fresh prefix has no HKCU\Software\Classes, which a Windows
            # profile always has: made (empty) so that it can be exported.
            VORLAN_WIDTH=64 "$run" reg add "$key" /f "/reg:$view" >/dev/null 2>&1 || :
            VORLAN_WIDTH=64 "$run" reg export "$key" "$(to_windows "$file")" /y "/reg:$view" >/dev/null 2>&1 &&
                [ -s "$file" ] ||
                { echo "FAIL: reg export $key ($view-bit view) failed" >&2; exit 1; }
        done
    done
}
