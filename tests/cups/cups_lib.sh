# shellcheck shell=bash
# A private CUPS scheduler in a temporary folder (never the system's): sourced by the printing
# tests. The sourcing script defines skip and fail first; afterwards T is the folder, CUPS_SERVER
# and CUPS_SERVERROOT point at the scheduler, and $T/cups-out is writable by its filters.
for tool in cupsd lpadmin lpstat lp pdftoppm pdfinfo python3; do
  command -v $tool >/dev/null 2>&1 || [ -x /usr/sbin/$tool ] || skip "$tool is not installed"
done
PPD=lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd
[ -f /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd ] || skip "the Generic PDF driver is not installed"
PATH=$PATH:/usr/sbin

T=$(mktemp -d "${TMPDIR:-/tmp}/ugfcups-XXXXXX")
pid=
cleanup() {
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$T"
}
trap cleanup EXIT
mkdir -p "$T/spool/tmp" "$T/state" "$T/cache" "$T/log" "$T/folder" "$T/cups-out"
chmod 755 "$T"
chmod 1777 "$T/spool/tmp"

cat >"$T/cupsd.conf" <<EOF
LogLevel warn
Listen $T/cups.sock
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
DefaultAuthType None
ErrorPolicy abort-job
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
EOF
cat >"$T/cups-files.conf" <<EOF
ServerRoot $T
RequestRoot $T/spool
TempDir $T/spool/tmp
StateDir $T/state
CacheDir $T/cache
ServerBin /usr/lib/cups
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
ErrorLog $T/log/error_log
AccessLog $T/log/access_log
PageLog $T/log/page_log
Printcap $T/state/printcap
FileDevice Yes
EOF
if [ "$(id -u)" = 0 ]; then
  # cupsd as root runs its filters as lp, which must reach the output file.
  printf 'User lp\nGroup lp\nSystemGroup root\nPeerCred on\nLogFileGroup root\n' >>"$T/cups-files.conf"
  chown lp "$T/cups-out" 2>/dev/null || chmod 777 "$T/cups-out"
fi

export CUPS_SERVER=$T/cups.sock CUPS_SERVERROOT=$T HOME=$T
unset PRINTER LPDEST UGFVIEW_PRINT_DIR
cupsd -f -c "$T/cupsd.conf" -s "$T/cups-files.conf" </dev/null >"$T/log/cupsd.out" 2>&1 &
pid=$!
for _ in $(seq 100); do
  LC_ALL=C lpstat -r 2>/dev/null | grep -qx 'scheduler is running' && break
  kill -0 "$pid" 2>/dev/null || { pid=; skip "cupsd did not start: $(tail -n 3 "$T/log/cupsd.out" "$T/log/error_log" 2>/dev/null | tr '\n' ' ')"; }
  sleep 0.05
done
LC_ALL=C lpstat -r 2>/dev/null | grep -qx 'scheduler is running' || skip "cupsd did not answer within 5 s"

