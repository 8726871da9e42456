# Reads `voxbench modes --json` and prints "tab<TAB>kind<TAB>name" for each mode,
# kind "built-in" or "custom". Pasted into the completion of each shell between single
# quotes: no single quotes here, and no doubled backslashes (fish reads those).
function utf8(c) {
    if (c < 128) return sprintf("%c", c)
    if (c < 2048) return sprintf("%c%c", 192 + int(c / 64), 128 + c % 64)
    return sprintf("%c%c%c", 224 + int(c / 4096), 128 + int(c / 64) % 64, 128 + c % 64)
}
function hex(h,   i, v) {
    for (i = 1; i <= 4; i++) v = v * 16 + index("0123456789abcdef", tolower(substr(h, i, 1))) - 1
    return v
}
BEGIN { backslash = sprintf("%c", 92) }
{ s = s $0 "\n" }
END {
    n = length(s)
    for (i = 1; i <= n; i++) {
        c = substr(s, i, 1)
        if (c == "{" || c == "[") { key[++d] = ""; if (d == 4) built = 0 }
        else if (c == "}" || c == "]") d--
        else if (substr(s, i, 4) == "true" && d == 4 && key[d] == "built_in") built = 1
        else if (c == "\"") {
            v = ""
            for (i++; i <= n && (c = substr(s, i, 1)) != "\""; i++) {
                if (c != backslash) { v = v c; continue }
                e = substr(s, ++i, 1)
                if (e == "u") { v = v utf8(hex(substr(s, i + 1, 4))); i += 4 }
                else v = v (e == "n" ? "\n" : e == "t" ? "\t" : e)
            }
            for (j = i + 1; substr(s, j, 1) ~ /[ \t\r\n]/; j++) ;
            if (substr(s, j, 1) == ":") { key[d] = v; i = j }
            else if (d == 4 && key[1] == "modes" && key[4] == "name") name = v
        }
        # The object of a mode has ended: its tab, kind and name.
        if (c == "}" && d == 3 && key[1] == "modes" && name != "") {
            print key[2] "\t" (built ? "built-in" : "custom") "\t" name
            name = ""
        }
    }
}
