"""The black-box cases of dirscout: one row per case, run by run_cases.py.

A fixture says what the client installation holds: "pointer" (the bytes of
qxclientdir beside the program, FOLDER for a folder of that name, absent for
none), "registry" ((view, kind, data): the DestPath value of the client's
key in the 32- or 64-bit view), "files" ({path: (bytes, mtime)}) and "dirs".
Paths are relative to the installation's root; the program lies in bin/.
"""
from collections import namedtuple

FOLDER = object()

Case = namedtuple("Case", "name fixture args env stdout stderr status files")


def case(name, fixture, args, stdout="", stderr="", status=0, env=None, files=None):
    return Case(name, fixture, list(args), env or {}, stdout, stderr, status, files or {})


USAGE = (
    "\n This utility program accepts the following options:\n"
    "\n -c : Obtains the client installation directory path\n"
    "\n -s : Obtains the persistent site directory path\n"
    "\n -v : Obtains the short version directory path\n"
    "\n -e : Obtains the local ETC directory path\n"
    "\n -b : Obtains the local BIN directory path\n"
    "\n -l : Obtain the long version\n"
    "\n -y : Obtains the age (in seconds) of the QxgssUserConfigFile.xml file\n"
    "\n -z : Obtains the age (in seconds) of the qxgssconfig.bin file\n"
)
UNDEFINED = "{PROG}: getopt undefined switch character -%s\n"
CLIENT_ERROR = "\n\n Error getting the client install path because %s \n"
REGISTRY_ERROR = "\n\n Unable to obtain registry data successfully"
STAT_ERROR = "file stat() error: No such file or directory\n"
USER_AGE_ERROR = "Error obtaining age information for QxgssUserConfigFile.xml file: %s\n"
BIN_AGE_ERROR = "Error obtaining age information for qxgssconfig.bin file: %s\n"
TRACE = ("Invoking Pathwise's QxClient_getClientPath()\n"
         "Successful return from Pathwise's QxClient_getClientPath()\n"
         "QxClient_getClientPath() returned: %s\n")
TRACE_FAILED = "Invoking Pathwise's QxClient_getClientPath()\n"

CLIENT = "C:\\Apps\\Client"
SITE = "D:\\Inst\\Client{S}..{S}etc{S}site"

# A client at C:\Apps\Client with DestPath D:\Inst\Client.
BASIC = {"pointer": CLIENT.encode(), "registry": ("32", "REG_SZ", "D:\\Inst\\Client")}


def pointer(content):
    return {"pointer": content}


def destpath(data, view="32", kind="REG_SZ"):
    return {"pointer": CLIENT.encode(), "registry": (view, kind, data)}


# A real installation: client directory bin/client, DestPath inst/client,
# the user file under inst/etc/site and the binary file under the client.
T_USER = 1700000000
T_BIN = 2208988800  # 2040-01-01, after the signed 32-bit range
T_BIN_SIGNED = T_BIN - 2**32
USER_FILE = "inst/etc/site/QxgssUserConfigFile.xml"
BIN_FILE = "bin/client/15.10/nimbral/etc/qxgssconfig.bin"
USER_PATH = "{ROOT}{S}inst{S}client{S}..{S}etc{S}site{S}QxgssUserConfigFile.xml"
BIN_PATH = "{MOD}client{S}15.10{S}nimbral{S}etc{S}qxgssconfig.bin"


def installation(user=True, binary=True):
    files = {}
    if user:
        files[USER_FILE] = (b"<QxgssUserConfigFile/>\n", T_USER)
    if binary:
        files[BIN_FILE] = (b"QXCF", T_BIN)
    return {"pointer": b"client", "registry": ("32", "REG_SZ", "{ROOT}{S}inst{S}client"),
            "dirs": ["inst/client", "inst/etc/site", "bin/client/15.10/nimbral/etc"], "files": files}


FULL = installation()
TRACE_FILE = {"DEBUGGSS": "{ROOT}{S}trace.txt"}

CASES = [
    # The command line.
    case("no arguments print the usage", BASIC, [], stdout=USAGE),
    case("a non-option argument prints nothing", BASIC, ["x"]),
    case("letters of one group run together", BASIC, ["-cs"], stdout=CLIENT + "{S}" + SITE),
    case("separate options print the same", BASIC, ["-c", "-s"], stdout=CLIENT + "{S}" + SITE),
    case("scanning stops at a non-option", BASIC, ["-c", "x", "-s"], stdout=CLIENT + "{S}"),
    case("-- ends the options", BASIC, ["--", "-c"]),
    case("-- after an option", BASIC, ["-c", "--", "-l"], stdout=CLIENT + "{S}"),
    case("a lone dash ends the options", BASIC, ["-"]),
    case("a lone dash before an option", BASIC, ["-", "-c"]),
    case("an unknown letter is reported and ignored", BASIC, ["-q"], stderr=UNDEFINED % "q"),
    case("after an unknown letter the group goes on", BASIC, ["-qc"], stdout=CLIENT + "{S}",
         stderr=UNDEFINED % "q"),
    case("an unknown letter at the end of a group", BASIC, ["-cx"], stdout=CLIENT + "{S}",
         stderr=UNDEFINED % "x"),
    case("a dash inside a group is a letter", BASIC, ["-c-"], stdout=CLIENT + "{S}", stderr=UNDEFINED % "-"),
    case("a colon is never an option", BASIC, ["-:"], stderr=UNDEFINED % ":"),
    case("-h prints the usage", BASIC, ["-h"], stdout=USAGE),
    case("-h then -c", BASIC, ["-hc"], stdout=USAGE + CLIENT + "{S}"),
    case("-l prints the long version", BASIC, ["-l"], stdout="15.10.01.00"),
    case("-ll prints it twice", BASIC, ["-ll"], stdout="15.10.01.0015.10.01.00"),
    case("a failure ends the run at once", pointer(CLIENT.encode()), ["-l", "-s", "-l"], stdout="15.10.01.00",
         stderr=REGISTRY_ERROR, status=1),
    case("-cc answers from the first lookup", BASIC, ["-cc"], stdout=CLIENT + "{S}" + CLIENT + "{S}"),

    # The pointer file.
    case("absolute with a drive", pointer(b"C:\\Apps\\Client"), ["-c"], stdout="C:\\Apps\\Client{S}"),
    case("relative beside the program", pointer(b"..\\Client"), ["-c"], stdout="{MOD}..\\Client{S}"),
    case("a final backslash is kept", pointer(b"C:\\Apps\\Client\\"), ["-c"], stdout="C:\\Apps\\Client\\{S}"),
    case("forward slashes stay", pointer(b"/opt/client"), ["-c"], stdout="/opt/client{S}"),
    case("a lone drive is absolute", pointer(b"C:"), ["-c"], stdout="C:{S}"),
    case("a single letter is relative", pointer(b"C"), ["-c"], stdout="{MOD}C{S}"),
    case("a UNC name is absolute", pointer(b"\\\\srv\\share"), ["-c"], stdout="\\\\srv\\share{S}"),
    case("CR and LF stay in the name", pointer(b"C:\\Apps\\Client\r\n"), ["-c"],
         stdout="C:\\Apps\\Client\r\n{S}"),
    case("a byte-order mark stays and makes it relative", pointer(b"\xef\xbb\xbfC:\\Apps"), ["-c"],
         stdout="{MOD}\ufeffC:\\Apps{S}"),
    case("non-ASCII UTF-8 passes unchanged", pointer("C:\\Programme\\Kl\u00e4r\u20ac".encode()), ["-c"],
         stdout="C:\\Programme\\Kl\u00e4r\u20ac{S}"),
    case("a file of 1000 bytes", pointer(b"a" * 1000), ["-c"], stdout="{MOD}" + "a" * 1000 + "{S}"),
    case("a file of 2500 bytes", pointer(b"C:" + b"b" * 2498), ["-c"], stdout="C:" + "b" * 2498 + "{S}"),
    case("an empty file", pointer(b""), ["-c"],
         stderr=CLIENT_ERROR % "The qxclientdir file (in \"{MOD}\") is empty.", status=1),
    case("a missing file names the folder", {}, ["-c"],
         stderr=CLIENT_ERROR % "Cannot open the qxclientdir file (in \"{MOD}\") because: {NOT_FOUND}", status=1),
    case("a folder in place of the file", pointer(FOLDER), ["-c"], status=1, stderr={
        "native": CLIENT_ERROR % "The attempt to read the qxclientdir file (in \"{MOD}\") failed because: "
                                 "Is a directory",
        "windows": CLIENT_ERROR % "Cannot open the qxclientdir file (in \"{MOD}\") because: Access denied."}),
    case("a bad UTF-8 byte", pointer(b"C:\\x\xff"), ["-c"], stderr=CLIENT_ERROR % "Invalid UTF-8", status=1),
    case("a sequence cut at the end", pointer(b"C:\\x\xe2\x82"), ["-c"], stderr=CLIENT_ERROR % "Not enough space",
         status=1),
    case("a value beyond Unicode", pointer(b"C:\\x\xf4\x90\x80\x80"), ["-c"],
         stderr=CLIENT_ERROR % "Invalid code point", status=1),
    case("the client failure ends the run", pointer(b""), ["-l", "-c", "-l"], stdout="15.10.01.00",
         stderr=CLIENT_ERROR % "The qxclientdir file (in \"{MOD}\") is empty.", status=1),

    # The trace.
    case("DEBUGGSS traces a lookup", BASIC, ["-c"], env=TRACE_FILE, stdout=CLIENT + "{S}",
         files={"trace.txt": TRACE % (CLIENT + "{S}")}),
    case("DEBUGGSS holds the last lookup", BASIC, ["-vc"], env=TRACE_FILE,
         stdout=CLIENT + "{S}15.10" + CLIENT + "{S}", files={"trace.txt": TRACE % (CLIENT + "{S}")}),
    case("DEBUGGSS after a failure holds the first line", pointer(b""), ["-c"], env=TRACE_FILE,
         stderr=CLIENT_ERROR % "The qxclientdir file (in \"{MOD}\") is empty.", status=1,
         files={"trace.txt": TRACE_FAILED}),
    case("an empty DEBUGGSS traces nothing", BASIC, ["-c"], env={"DEBUGGSS": ""}, stdout=CLIENT + "{S}",
         files={"trace.txt": None}),
    case("an unwritable DEBUGGSS traces nothing", BASIC, ["-c"], env={"DEBUGGSS": "{ROOT}{S}no{S}trace.txt"},
         stdout=CLIENT + "{S}", files={"no": None}),
    case("DEBUGGSS is not used without a lookup", BASIC, ["-s"], env=TRACE_FILE, stdout=SITE,
         files={"trace.txt": None}),

    # Derived directories.
    case("the derived directories", BASIC, ["-v", "-e", "-b"],
         stdout=CLIENT + "{S}15.10" + CLIENT + "{S}15.10{S}nimbral{S}etc" + CLIENT + "{S}15.10{S}bin"),
    case("the site directory", BASIC, ["-s"], stdout=SITE),
    case("a DestPath ending in a backslash", destpath("C:\\Inst\\Client\\"), ["-s"],
         stdout="C:\\Inst\\Client\\{S}..{S}etc{S}site"),
    case("no client key", pointer(CLIENT.encode()), ["-s"], stderr=REGISTRY_ERROR, status=1),
    case("a key only in the 64-bit view is not found", destpath("D:\\Inst\\Client", view="64"), ["-s"],
         stderr=REGISTRY_ERROR, status=1),
    case("a DestPath of 499 characters fits", destpath("D:" + "p" * 497), ["-s"],
         stdout="D:" + "p" * 497 + "{S}..{S}etc{S}site"),
    case("a DestPath of 500 characters does not fit", destpath("D:" + "p" * 498), ["-s"], stderr=REGISTRY_ERROR,
         status=1),
    case("a binary value without terminator", destpath(b"D:\\Bin", kind="REG_BINARY"), ["-s"],
         stdout="D:\\Bin{S}..{S}etc{S}site"),
    case("a binary value ends at its first NUL", destpath(b"D:\\A\0junk", kind="REG_BINARY"), ["-s"],
         stdout="D:\\A{S}..{S}etc{S}site"),
    case("499 bytes without terminator fit", destpath(b"q" * 499, kind="REG_BINARY"), ["-s"],
         stdout="q" * 499 + "{S}..{S}etc{S}site"),
    case("500 bytes without terminator do not fit", destpath(b"q" * 500, kind="REG_BINARY"), ["-s"],
         stderr=REGISTRY_ERROR, status=1),
    case("derived directories need the client", {}, ["-b"],
         stderr=CLIENT_ERROR % "Cannot open the qxclientdir file (in \"{MOD}\") because: {NOT_FOUND}", status=1),

    # File times.
    case("both file times, each framed by newlines", FULL, ["-yz"],
         stdout="\n%d\n\n%d\n" % (T_USER, T_BIN_SIGNED)),
    case("a time after 2038 reads negative", FULL, ["-z"], stdout="\n%d\n" % T_BIN_SIGNED),
    case("a missing user file", installation(user=False), ["-z", "-y", "-l"],
         stdout="\n%d\n" % T_BIN_SIGNED + USER_AGE_ERROR % USER_PATH, stderr=STAT_ERROR, status=1),
    case("a missing binary file", installation(binary=False), ["-y", "-z"],
         stdout="\n%d\n" % T_USER + BIN_AGE_ERROR % BIN_PATH, stderr=STAT_ERROR, status=1),
    case("the user file needs the registry", pointer(b"client"), ["-y"], stderr=REGISTRY_ERROR, status=1),
    case("the binary file needs the client", {}, ["-z"],
         stderr=CLIENT_ERROR % "Cannot open the qxclientdir file (in \"{MOD}\") because: {NOT_FOUND}", status=1),
    case("every answer of an installation", FULL, ["-c", "-s", "-v", "-e", "-b", "-l", "-y", "-z"],
         stdout="{MOD}client{S}" "{ROOT}{S}inst{S}client{S}..{S}etc{S}site" "{MOD}client{S}15.10"
                "{MOD}client{S}15.10{S}nimbral{S}etc" "{MOD}client{S}15.10{S}bin" "15.10.01.00"
                "\n%d\n\n%d\n" % (T_USER, T_BIN_SIGNED)),
]
