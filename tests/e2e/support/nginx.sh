# Sourced: a throw-away nginx (Debian's nginx-light) serving one folder on a free
# loopback port, for the downloader's checks against a real web server.
#
#   nginx_start <folder to serve> <work folder>   sets NGINX_PORT and NGINX_PID
#   nginx_stop
# The work folder holds the configuration and the logs (access.log: one line per request
# as "<status> <bytes sent> <Range header>"). nginx's workers run as nobody: the served
# folder and its parents must be open to all (a folder of mktemp -d is not).

nginx_start() {
  local root="$1" work="$2"
  NGINX_PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  mkdir -p "$work/tmp"
  chmod a+rx "$root" "$work"
  cat >"$work/nginx.conf" <<CONF
worker_processes 2;
daemon off;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 256; }
http {
  log_format ranges '\$status \$body_bytes_sent "\$http_range"';
  access_log $work/access.log ranges;
  client_body_temp_path $work/tmp;
  sendfile on;
  tcp_nopush on;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$NGINX_PORT;
    root $root;
  }
}
CONF
  nginx -p "$work" -c "$work/nginx.conf" -e "$work/error.log" &
  NGINX_PID=$!
  for _ in $(seq 1 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$NGINX_PORT") 2>/dev/null && return 0
    sleep 0.05
  done
  echo "nginx did not start: $(cat "$work/error.log" 2>/dev/null)" >&2
  return 1
}

nginx_stop() {
  [ -n "${NGINX_PID:-}" ] && kill "$NGINX_PID" 2>/dev/null && wait "$NGINX_PID" 2>/dev/null
  NGINX_PID=""
}
