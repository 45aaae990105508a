#!/bin/sh
# Writes this computer's IP configuration into ipcon.txt beside this script, in the layout of the
# classic IP configuration listing: adapter headings, then indented "label . . . : value" lines,
# every line ending in CR CR LF. Quorvane reads the default gateway and masks the hardware
# addresses from this layout.
#
# Only local state is read (ip link/addr/route, /etc/resolv.conf, /sys/class/net, /proc); no packet
# is sent. NETWORKINFO_ROOT, when set, is put in front of the files read, and the ip command is
# taken from PATH; both let the listing be produced from prepared data.

LC_ALL=C
export LC_ALL

folder=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd) || exit 1
root=${NETWORKINFO_ROOT:-}
output="$folder/ipcon.txt"
partial="$folder/ipcon.txt.$$.tmp"
trap 'rm -f "$partial"' EXIT
trap 'exit 1' HUP INT TERM

read_first_line() {
    if [ -r "$1" ]; then
        head -n 1 "$1" 2>/dev/null
    fi
}

# Everything the listing needs, one tagged record per line, for the formatter below.
collect() {
    host=$(read_first_line "$root/proc/sys/kernel/hostname")
    [ -n "$host" ] || host=$(uname -n 2>/dev/null)
    echo "host $host"
    echo "forward $(read_first_line "$root/proc/sys/net/ipv4/ip_forward")"
    if [ -r "$root/etc/resolv.conf" ]; then
        sed 's/^/resolv /' "$root/etc/resolv.conf"
    fi
    ip -o link show 2>/dev/null | sed 's/^/link /'
    ip -o addr show 2>/dev/null | sed 's/^/addr /'
    ip -4 route show default 2>/dev/null | sed 's/^/route4 /'
    ip -6 route show default 2>/dev/null | sed 's/^/route6 /'
    for entry in "$root"/sys/class/net/*; do
        [ -e "$entry" ] || continue
        name=${entry##*/}
        driver=""
        if [ -L "$entry/device/driver" ]; then
            driver=$(readlink "$entry/device/driver" 2>/dev/null)
            driver=${driver##*/}
        fi
        wireless=0
        if [ -d "$entry/wireless" ] || [ -e "$entry/phy80211" ]; then
            wireless=1
        fi
        echo "sys $name $(read_first_line "$entry/type") $wireless $driver"
    done
}

format() {
    awk '
    function label(text,    line, col) {
        # The label, then dots on odd and blanks on even columns up to the colon.
        line = "   " text
        for (col = length(line); col < 36; col++)
            line = line ((col % 2 == 1) ? "." : " ")
        return line " : "
    }
    function put(text) { printf "%s\r\r\n", text }
    function setting(text, value) { put(label(text) value) }
    # Further values of a setting stand on their own lines, under the first one.
    function more(value) { put(sprintf("%39s%s", "", value)) }
    function strip_name(name) { sub(/:$/, "", name); sub(/@.*/, "", name); return name }
    function mask(prefix,    bits, octet, i, out, n) {
        out = ""
        for (i = 0; i < 4; i++) {
            n = prefix - 8 * i
            if (n >= 8) octet = 255
            else if (n <= 0) octet = 0
            else octet = 256 - 2 ^ (8 - n)
            out = out (i ? "." : "") octet
        }
        return out
    }
    function state(flags) {
        if (flags ~ /tentative/) return "(Tentative)"
        if (flags ~ /deprecated/) return "(Deprecated)"
        return "(Preferred)"
    }
    $1 == "host" { host = $2 }
    $1 == "forward" { forward = $2 }
    $1 == "resolv" && $2 == "nameserver" && $3 != "" { dns[++ndns] = $3 }
    $1 == "resolv" && ($2 == "search" || $2 == "domain") {
        search = ""
        for (i = 3; i <= NF; i++) search = search (i > 3 ? " " : "") $i
        if ($2 == "domain") domain = $3
    }
    $1 == "sys" { kind[$2] = $3; wireless[$2] = $4; driver[$2] = $5 }
    $1 == "link" {
        name = strip_name($3)
        if ($0 ~ /link\/loopback/) next
        order[++nlinks] = name
        index_of[name] = $2; sub(/:$/, "", index_of[name])
        up[name] = ($4 ~ /[<,]UP[,>]/ && $4 ~ /LOWER_UP/) ? 1 : 0
        for (i = 5; i < NF; i++)
            if ($i ~ /^link\//) {
                link_type[name] = $i
                if ($i == "link/ether" || $i == "link/ieee802.11") {
                    mac = toupper($(i + 1)); gsub(/:/, "-", mac); physical[name] = mac
                }
            }
    }
    $1 == "addr" {
        name = strip_name($3)
        split($5, parts, "/")
        flags = ""
        for (i = 6; i <= NF && $i != "\\"; i++) flags = flags " " $i
        prefix = parts[2]
        # A point-to-point address carries its prefix on the peer address, if anywhere.
        if (prefix == "") {
            prefix = 32
            if ($6 == "peer" && split($7, peer, "/") == 2) prefix = peer[2]
        }
        if ($4 == "inet") {
            n4[name]++; v4[name, n4[name]] = parts[1] state(flags); m4[name, n4[name]] = mask(prefix + 0)
            if (flags ~ /dynamic/) dhcp[name] = 1
        } else if ($4 == "inet6") {
            if (flags ~ /scope link/) {
                nl6[name]++; l6[name, nl6[name]] = parts[1] "%" index_of[name] state(flags)
            } else if (flags ~ /scope global/) {
                ng6[name]++; g6[name, ng6[name]] = parts[1] state(flags)
            }
        }
    }
    $1 == "route4" || $1 == "route6" {
        via = ""; dev = ""
        for (i = 2; i < NF; i++) {
            if ($i == "via") via = $(i + 1)
            if ($i == "dev") dev = $(i + 1)
        }
        if (via == "" || dev == "") next
        if ($1 == "route4") { if (!(dev in gw4)) { gw4[dev] = via; by_route[++nroutes] = dev } }
        else { if (via ~ /^fe80:/) via = via "%" index_of[dev]; n6gw[dev]++; gw6[dev, n6gw[dev]] = via }
    }
    END {
        put("")
        put("IP Configuration")
        put("")
        setting("Host Name", host)
        setting("Primary Dns Suffix", domain)
        setting("IP Routing Enabled", forward == "1" ? "Yes" : "No")
        if (search != "") setting("DNS Suffix Search List", search)

        # Adapters that carry an IPv4 default route come first, in the order of their routes (the
        # preferred one first), so that the first gateway line of the listing names the gateway
        # in use.
        n = 0
        for (i = 1; i <= nroutes; i++) if (by_route[i] in up) sorted[++n] = by_route[i]
        for (i = 1; i <= nlinks; i++) if (!(order[i] in gw4)) sorted[++n] = order[i]

        for (i = 1; i <= n; i++) {
            name = sorted[i]
            heading = "Ethernet adapter"
            if (wireless[name] == 1) heading = "Wireless LAN adapter"
            else if (kind[name] == 512 || link_type[name] == "link/ppp") heading = "PPP adapter"
            else if (link_type[name] != "link/ether") heading = "Tunnel adapter"
            put("")
            put(heading " " name ":")
            put("")
            if (!up[name]) setting("Media State", "Media disconnected")
            setting("Connection-specific DNS Suffix", up[name] ? domain : "")
            setting("Description", driver[name] != "" ? driver[name] : "Virtual network interface")
            if (name in physical) setting("Physical Address", physical[name])
            setting("DHCP Enabled", dhcp[name] ? "Yes" : "No")
            if (!up[name]) continue
            for (k = 1; k <= ng6[name]; k++) setting("IPv6 Address", g6[name, k])
            for (k = 1; k <= nl6[name]; k++) setting("Link-local IPv6 Address", l6[name, k])
            for (k = 1; k <= n4[name]; k++) {
                setting("IPv4 Address", v4[name, k])
                setting("Subnet Mask", m4[name, k])
            }
            first = 1
            if (name in gw4) { setting("Default Gateway", gw4[name]); first = 0 }
            for (k = 1; k <= n6gw[name]; k++) {
                if (first) { setting("Default Gateway", gw6[name, k]); first = 0 }
                else more(gw6[name, k])
            }
            if (first) setting("Default Gateway", "")
            for (k = 1; k <= ndns; k++) {
                if (k == 1) setting("DNS Servers", dns[k])
                else more(dns[k])
            }
        }
    }'
}

collect | format > "$partial" && mv -f "$partial" "$output"
