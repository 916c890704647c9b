#!/usr/bin/env bash
# Makes sure a local CUPS scheduler runs with the PDF queue the end-to-end
# print tests use (default name "LabelPDF"). The queue's PDF files land in
# ~/PDF of the printing user. Prints the queue name on success.
set -euo pipefail
queue=${1:-LabelPDF}
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

scheduler_running() { lpstat -r 2>/dev/null | grep -q 'is running'; }

if ! scheduler_running; then
  $sudo sh -c '/usr/sbin/cupsd -f >/dev/null 2>&1 &'
  for _ in $(seq 100); do scheduler_running && break; sleep 0.1; done
  scheduler_running || { echo "cupsd did not start" >&2; exit 1; }
fi
lpstat -p "$queue" >/dev/null 2>&1 || $sudo lpadmin -p "$queue" -v cups-pdf:/ -P "$ppd" -E
lpstat -p "$queue" >/dev/null
echo "$queue"
