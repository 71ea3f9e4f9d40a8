<?php
// A CardDAV server made of Debian's SabreDAV 1.8 for the sync tests, run by
// `php -S` as its router script from a temp folder that also holds the
// SQLite database (db.sqlite) and settings.json (users and their passwords,
// whether PUT answers carry an ETag). Appends one line per request to
// requests.log: method, path, Depth, for a REPORT the report's name, and
// the answer's status.

// SabreDAV 1.8 was written for PHP 5. On PHP 8.2 every request raises
// deprecation notices (dynamic properties, return types of ArrayAccess and
// Countable) and a compile warning (a final private method). They are no
// faults of the server: deprecations are not reported at all, and nothing is
// ever printed into an answer, where it would break the XML (php -S puts
// messages into the body as HTML even with display_errors=stderr); the
// server's log still gets the rest.
error_reporting(E_ALL & ~E_DEPRECATED & ~E_USER_DEPRECATED);
ini_set('display_errors', '0');
ini_set('log_errors', '1');

require_once 'Sabre/autoload.php';

$settings = json_decode(file_get_contents(__DIR__ . '/settings.json'), true);

// The request's line in requests.log, without its status.
function requestLine() {
    $method = $_SERVER['REQUEST_METHOD'];
    $line = $method . ' ' . $_SERVER['REQUEST_URI'] . ' ' . ($_SERVER['HTTP_DEPTH'] ?? '-');
    if ($method === 'REPORT') {
        $body = preg_replace('/<\?.*?\?>|<!--.*?-->/s', '', file_get_contents('php://input'));
        if (preg_match('/<(?:[\w.-]+:)?([\w.-]+)/', $body, $root)) $line .= ' ' . $root[1];
    }
    return $line;
}

// HTTP Basic against the users in the settings.
class SettingsBasicAuth extends Sabre\DAV\Auth\Backend\AbstractBasic {
    private $users;

    public function __construct(array $users) {
        $this->users = $users;
    }

    protected function validateUserPass($username, $password) {
        return isset($this->users[$username]) && hash_equals($this->users[$username], (string)$password);
    }
}

// Stores cards as sent but answers a PUT without an ETag, as servers do that
// may change a card on the way in: the client has to read the card again.
class CardsWithoutPutEtag extends Sabre\CardDAV\Backend\PDO {
    public function createCard($addressBookId, $cardUri, $cardData) {
        parent::createCard($addressBookId, $cardUri, $cardData);
        return null;
    }

    public function updateCard($addressBookId, $cardUri, $cardData) {
        parent::updateCard($addressBookId, $cardUri, $cardData);
        return null;
    }
}

$pdo = new PDO('sqlite:' . __DIR__ . '/db.sqlite');
$pdo->setAttribute(PDO::ATTR_ERRMODE, PDO::ERRMODE_EXCEPTION);
$principals = new Sabre\DAVACL\PrincipalBackend\PDO($pdo);
$cards = $settings['etagOnPut'] ? new Sabre\CardDAV\Backend\PDO($pdo) : new CardsWithoutPutEtag($pdo);

// Another client's delete, made right after the next ETag listing of a book
// (PROPFIND Depth 1) is answered: "principal<TAB>book<TAB>card" in
// delete-after-listing (SabreDavServer::DeleteCardAfterNextListing).
function deleteAfterListing(PDO $pdo) {
    $plan = __DIR__ . '/delete-after-listing';
    if ($_SERVER['REQUEST_METHOD'] !== 'PROPFIND' || ($_SERVER['HTTP_DEPTH'] ?? '') !== '1' ||
        http_response_code() !== 207 || !file_exists($plan)) return;
    list($principal, $book, $card) = explode("\t", trim(file_get_contents($plan)));
    unlink($plan);
    $bookId = '(SELECT id FROM addressbooks WHERE principaluri = ? AND uri = ?)';
    $pdo->prepare("DELETE FROM cards WHERE uri = ? AND addressbookid = $bookId")->execute(array($card, $principal, $book));
    $pdo->prepare("UPDATE addressbooks SET ctag = ctag + 1 WHERE id = $bookId")->execute(array($principal, $book));
}

$server = new Sabre\DAV\Server(array(
    new Sabre\DAVACL\PrincipalCollection($principals),
    new Sabre\CardDAV\AddressBookRoot($principals, $cards),
));
$server->setBaseUri('/');
$server->addPlugin(new Sabre\DAV\Auth\Plugin(new SettingsBasicAuth($settings['users']), 'SabreDAV'));
$server->addPlugin(new Sabre\CardDAV\Plugin());
$server->addPlugin(new Sabre\DAVACL\Plugin());

// The answer is held back until its line is in the log, so a client that
// has the answer finds the request logged.
$line = requestLine();
ob_start();
$server->exec();
file_put_contents(__DIR__ . '/requests.log', $line . ' ' . http_response_code() . "\n", FILE_APPEND | LOCK_EX);
ob_end_flush();
flush();
deleteAfterListing($pdo);
