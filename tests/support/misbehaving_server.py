# A small CardDAV server for tests that misbehaves on purpose, one way per
# start: python3 misbehaving_server.py BEHAVIOUR PORTFILE LOGFILE [TARGET [STATUS]]
# It serves alice's principal /u/, which is also her address book home, with
# one book /u/book/ of two cards. Every request is logged to LOGFILE as
# "METHOD<TAB>PATH<TAB>yes|no (Authorization header)<TAB>root element of the body".
# Writes are answered as a server that took them, and change nothing.
import http.server, os, re, socketserver, sys, threading, time
from xml.sax.saxutils import escape

behaviour, portfile, logfile = sys.argv[1], sys.argv[2], sys.argv[3]
target = sys.argv[4] if len(sys.argv) > 4 else ''
redirect_status = int(sys.argv[5]) if len(sys.argv) > 5 else 307

BOOK = '/u/book/'
log_lock = threading.Lock()
counter = [0]


def card(uid, name, extra=''):
    return 'BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%s\r\nFN:%s\r\nN:%s;;;;\r\n%sEND:VCARD\r\n' % (uid, name, name, extra)


CARDS = {BOOK + 'a.vcf': card('uid-a', 'Ann Archer'), BOOK + 'b.vcf': card('uid-b', 'Bob Baker')}
if behaviour == 'big-card':
    CARDS[BOOK + 'photo.vcf'] = card('uid-photo', 'Pia Photo', 'PHOTO;ENCODING=b;TYPE=JPEG:' + 'QUFB' * (10 << 18) + '\r\n')
# hrefs outside the book, as a listing names them (each relative to the book).
OUTSIDE = ['../other/x.vcf', '/elsewhere/y.vcf', '%2e%2e/other/w.vcf', target + 'u/book/z.vcf']
if behaviour == 'outside-hrefs':
    for i, href in enumerate(OUTSIDE):
        CARDS[href] = card('uid-out-%d' % i, 'Out%d Side' % i)

if behaviour == 'xandikos-reports':  # supported-report without its report wrapper
    REPORTS = '<d:supported-report><d:sync-collection/></d:supported-report>'
elif behaviour == 'no-report-set':
    REPORTS = None
else:
    REPORTS = ('<d:supported-report><d:report><c:addressbook-multiget/></d:report></d:supported-report>'
               '<d:supported-report><d:report><d:sync-collection/></d:report></d:supported-report>')

HEAD = '<?xml version="1.0" encoding="utf-8"?>\n<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav">'


def response(href, props=None, status=None):
    if status:
        return '<d:response><d:href>%s</d:href><d:status>HTTP/1.1 %s</d:status></d:response>' % (href, status)
    return ('<d:response><d:href>%s</d:href><d:propstat><d:prop>%s</d:prop>'
            '<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>' % (href, props))


def card_props(href, data):
    text = '<d:getetag>"%s"</d:getetag>' % abs(hash(CARDS[href]))
    return text + ('<c:address-data>%s</c:address-data>' % escape(CARDS[href]) if data else '')


def book_props():
    props = '<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype><d:displayname>Book</d:displayname>'
    if REPORTS is not None:
        props += '<d:supported-report-set>%s</d:supported-report-set>' % REPORTS
    return props + '<d:sync-token>tok-1</d:sync-token>'


def big_listing(count):
    # A valid sync-collection answer of `count` cards of about 2 KB each, made as it is sent.
    yield HEAD.encode()
    note = 'NOTE:' + 'n' * 1900 + '\r\n'
    for i in range(count):
        href = BOOK + 'c%d.vcf' % i
        yield response(href, '<d:getetag>"%d"</d:getetag><c:address-data>%s</c:address-data>' %
                       (i, escape(card('uid-%d' % i, 'Card %d' % i, note)))).encode()
    yield '<d:sync-token>tok-1</d:sync-token></d:multistatus>'.encode()


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self):
        body = self.rfile.read(int(self.headers.get('Content-Length') or 0)).decode('utf-8', 'replace')
        root = re.search(r'<(?:\w+:)?([\w-]+)[\s>/]', re.sub(r'<\?.*?\?>', '', body))
        with log_lock, open(logfile, 'a') as f:
            f.write('%s\t%s\t%s\t%s\n' % (self.command, self.path, 'yes' if self.headers.get('Authorization') else 'no',
                                          root.group(1) if root else '-'))
        path = self.path
        if behaviour == 'redirect' or (behaviour == 'same-origin-redirect' and path.startswith('/old/')):
            location = (target + path.lstrip('/') if target else path) if behaviour == 'redirect' else path[4:]
            return self.send(redirect_status, b'', [('Location', location)])
        if behaviour == 'server-error':
            return self.send(503, b'busy')
        if self.command == 'PROPFIND':
            return self.propfind(path, self.headers.get('Depth', '0'))
        if self.command == 'REPORT':
            return self.report(path, body)
        if self.command == 'GET':
            if path in CARDS:
                return self.send(200, CARDS[path].encode(), [('ETag', '"%d"' % abs(hash(CARDS[path])))])
            return self.send(404, b'')
        if self.command == 'PUT':
            counter[0] += 1
            return self.send(201, b'', [('ETag', '"put-%d"' % counter[0])])
        if self.command == 'DELETE':
            return self.send(204, b'')
        return self.send(405, b'')

    def send(self, status, data, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def multistatus(self, parts, token=None):
        text = HEAD + ''.join(parts) + ('<d:sync-token>%s</d:sync-token>' % token if token is not None else '')
        self.send(207, (text + '</d:multistatus>').encode(), [('Content-Type', 'application/xml; charset=utf-8')])

    def propfind(self, path, depth):
        if path == BOOK:
            parts = [response(BOOK, book_props())]
            if depth != '0':
                parts += [response(href, card_props(href, False)) for href in CARDS]
            return self.multistatus(parts)
        if path in CARDS:
            return self.send(404, b'')
        home = ('<d:current-user-principal><d:href>/u/</d:href></d:current-user-principal>'
                '<c:addressbook-home-set><d:href>/u/</d:href></c:addressbook-home-set>')
        parts = [response(path, '<d:resourcetype><d:collection/></d:resourcetype>' + home)]
        if path == '/u/' and depth != '0':
            parts.append(response(BOOK, book_props()))
        self.multistatus(parts)

    def report(self, path, body):
        if 'addressbook-multiget' in body:
            hrefs = re.findall(r'<(?:\w+:)?href>([^<]*)<', body)
            return self.multistatus([response(h, card_props(h, True)) if h in CARDS else response(h, status='404 Not Found')
                                     for h in hrefs])
        if behaviour == 'no-report-set':
            return self.send(501, b'')
        if behaviour == 'endless-507':
            counter[0] += 1
            return self.multistatus([response(BOOK, status='507 Insufficient Storage')], 'tok-%d' % counter[0])
        listing = ''.join(response(href, card_props(href, True)) for href in CARDS)
        data = (HEAD + listing + '<d:sync-token>%s</d:sync-token></d:multistatus>' %
                ('T' * 100000 if behaviour == 'huge-token' else 'tok-1')).encode()
        if behaviour == 'big-listing':
            self.send_response(207)
            self.end_headers()
            for piece in big_listing(int(target)):
                self.wfile.write(piece)
            return
        if behaviour == 'stall-headers':
            self.send_response(207)
            self.send_header('Content-Length', str(len(data)))
            self.end_headers()
            self.wfile.flush()
            time.sleep(3600)
        if behaviour == 'stall-body':
            self.send_response(207)
            self.send_header('Content-Length', str(len(data)))
            self.end_headers()
            self.wfile.write(data[:len(data) // 2])
            self.wfile.flush()
            time.sleep(3600)
        if behaviour == 'slow-moving':  # the whole answer, a piece every 0.3 s
            self.send_response(207)
            self.send_header('Content-Length', str(len(data)))
            self.end_headers()
            step = len(data) // 8 + 1
            for i in range(0, len(data), step):
                self.wfile.write(data[i:i + step])
                self.wfile.flush()
                time.sleep(0.3)
            return
        if behaviour == 'endless-body':  # a valid beginning that never ends
            self.send_response(207)
            self.end_headers()
            self.wfile.write((HEAD + listing).encode())
            filler = response(BOOK + 'more.vcf', '<d:getetag>"x"</d:getetag>').encode() * 1000
            try:
                while True:
                    self.wfile.write(filler)
            except OSError:
                return
        self.send(207, data, [('Content-Type', 'application/xml; charset=utf-8')])


for method in ('GET', 'PUT', 'DELETE', 'PROPFIND', 'REPORT', 'MKCOL'):
    setattr(Handler, 'do_' + method, Handler.answer)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


server = Server(('127.0.0.1', 0), Handler)
with open(portfile + '.tmp', 'w') as f:
    f.write(str(server.server_address[1]))
os.rename(portfile + '.tmp', portfile)
server.serve_forever()
