#!/usr/bin/env python3
"""A CalDAV server on loopback that misbehaves in one chosen way, for the faults a real server
cannot be made to show. It answers discovery like a small CalDAV server (principal /p/, calendar
home /home/, one calendar /home/team/ named Team) unless the fault is in discovery itself, keeps
PUT items in memory, and logs every request as a JSON line (method, path, Host, whether it carried
Authorization) so a test can see where the password went.

Usage: fault_server.py FAULT PORT_FILE LOG_FILE
Faults:
  none              behaves
  entity-bomb       the calendar list's display name is an internal entity repeated 2,000,000 times
  foreign-principal the principal is named on http://localhost:PORT (another host than 127.0.0.1)
  redirect-401      the principal answers with a redirect to localhost:PORT, which asks for a password
  hang              accepts connections and never answers
  store-then-stall  a PUT is stored, then the answer never comes
  store-then-reset  a PUT is stored, then the connection is closed without an answer
  store-no-length   a PUT is stored, answered 201 with no length on a kept-open connection
  ok-not-stored     a PUT is answered 200 and nothing is stored
  multistatus-507   a PUT is answered 207 whose body carries 507 Insufficient Storage
"""
import base64
import http.server
import json
import os
import socket
import sys
import threading

FAULT, PORT_FILE, LOG_FILE = sys.argv[1], sys.argv[2], sys.argv[3]
USER, PASSWORD = "alice", "secret"
items = {}
lock = threading.Lock()
stall = threading.Event()  # never set: stalled answers wait on it until the process is stopped


def multistatus(responses):
    return ('<?xml version="1.0" encoding="utf-8"?>\n<d:multistatus xmlns:d="DAV:" '
            'xmlns:c="urn:ietf:params:xml:ns:caldav">' + "".join(responses) + "</d:multistatus>")


def response(href, props):
    return (f"<d:response><d:href>{href}</d:href><d:propstat><d:prop>{props}</d:prop>"
            "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>")


def calendar_list(port):
    name = "Team"
    prologue = ""
    if FAULT == "entity-bomb":
        prologue = '<!DOCTYPE d:multistatus [<!ENTITY a "aaa">]>'
        name = "&a;" * 2_000_000
    body = multistatus([
        response("/home/", "<d:resourcetype><d:collection/></d:resourcetype>"),
        response("/home/team/",
                 "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"
                 f"<d:displayname>{name}</d:displayname>"
                 '<c:supported-calendar-component-set><c:comp name="VEVENT"/><c:comp name="VTODO"/>'
                 "</c:supported-calendar-component-set><d:current-user-privilege-set><d:privilege>"
                 "<d:write-content/></d:privilege></d:current-user-privilege-set>"),
    ])
    return body.replace("?>\n", "?>\n" + prologue, 1)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def note(self):
        with lock, open(LOG_FILE, "a") as log:
            log.write(json.dumps({"method": self.command, "path": self.path, "host": self.headers.get("Host", ""),
                                  "auth": "Authorization" in self.headers}) + "\n")

    def body(self):
        length = int(self.headers.get("Content-Length", "0") or 0)
        return self.rfile.read(length).decode("utf-8", "replace") if length else ""

    def reply(self, status, text="", headers=()):
        data = text.encode()
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def authorised(self):
        expected = "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode()).decode()
        if self.headers.get("Authorization") == expected:
            return True
        self.reply(401, "", [("WWW-Authenticate", 'Basic realm="fault"')])
        return False

    def own_host(self):
        return self.headers.get("Host", "").startswith("127.0.0.1:")

    def do_PROPFIND(self):
        self.note()
        query = self.body()
        port = self.server.server_address[1]
        if FAULT == "redirect-401" and self.own_host() and self.path != "/p/":
            self.reply(301, "", [("Location", f"http://localhost:{port}/p/")])
            return
        if FAULT == "redirect-401" and not self.own_host():
            self.reply(401, "", [("WWW-Authenticate", 'Basic realm="elsewhere"')])
            return
        if not self.authorised():
            return
        if "current-user-principal" in query:
            principal = f"http://localhost:{port}/p/" if FAULT == "foreign-principal" else "/p/"
            text = multistatus([response(self.path, f"<d:current-user-principal><d:href>{principal}</d:href>"
                                                    "</d:current-user-principal>")])
        elif "calendar-home-set" in query:
            text = multistatus([response(self.path, "<c:calendar-home-set><d:href>/home/</d:href>"
                                                    "</c:calendar-home-set>")])
        else:
            text = calendar_list(port)
        self.reply(207, text, [("Content-Type", "application/xml; charset=utf-8")])

    def do_PUT(self):
        self.note()
        data = self.body()
        if not self.authorised():
            return
        with lock:
            taken = self.path in items
            if not taken and FAULT != "ok-not-stored":
                items[self.path] = data
        if taken and self.headers.get("If-None-Match") == "*":
            self.reply(412)
        elif FAULT == "store-then-stall":
            stall.wait()
        elif FAULT == "store-then-reset":
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
        elif FAULT == "store-no-length":
            self.send_response(201)
            self.end_headers()  # no length and the connection kept: the answer never ends
            self.wfile.flush()
            stall.wait()
        elif FAULT == "ok-not-stored":
            self.reply(200)
        elif FAULT == "multistatus-507":
            self.reply(207, multistatus([f"<d:response><d:href>{self.path}</d:href>"
                                         "<d:status>HTTP/1.1 507 Insufficient Storage</d:status></d:response>"]),
                       [("Content-Type", "application/xml; charset=utf-8")])
        else:
            self.reply(201)

    def do_GET(self):
        self.note()
        if not self.authorised():
            return
        with lock:
            data = items.get(self.path)
        if data is None:
            self.reply(404)
        else:
            self.reply(200, data, [("Content-Type", "text/calendar")])


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


def hang_forever(listener):
    held = []
    while True:
        conn, _ = listener.accept()
        held.append(conn)  # read nothing, answer nothing
        with open(LOG_FILE, "a") as log:
            log.write(json.dumps({"method": "CONNECT"}) + "\n")


def tell_port(port):
    with open(PORT_FILE + ".tmp", "w") as f:
        f.write(str(port))
    os.rename(PORT_FILE + ".tmp", PORT_FILE)  # the test never reads half a number


def main():
    if FAULT == "hang":
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(64)
        tell_port(listener.getsockname()[1])
        hang_forever(listener)
        return
    server = Server(("127.0.0.1", 0), Handler)
    tell_port(server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
