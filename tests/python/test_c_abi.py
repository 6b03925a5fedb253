"""The C ABI through Python's ctypes: creation by class name, class checks,
NULL texts and a full creation run against a copy of the template database."""
import ctypes
import os
import shutil
import sqlite3
import sys
import tempfile
import unittest

LIBRARY = os.environ["BELVORA_LIBRARY_FILE"]
TEMPLATE_DB = os.environ["BELVORA_TEMPLATE_DB"]

lib = ctypes.CDLL(LIBRARY)
obj = ctypes.c_void_p
text = ctypes.c_char_p
flag = ctypes.c_int16
lib.belvora_create.restype = obj
lib.belvora_create.argtypes = [text]
lib.belvora_release.restype = None
lib.belvora_release.argtypes = [obj]
lib.belvora_DLL_Init_DB.restype = flag
lib.belvora_DLL_Init_DB.argtypes = [obj, text, text, text, text, flag, text, text, flag]
lib.belvora_CreateXRechnung.restype = flag
lib.belvora_CreateXRechnung.argtypes = [obj]
lib.belvora_XConverter.restype = flag
lib.belvora_XConverter.argtypes = [obj, text, text, text, text, text, flag]
for name in ("belvora_ShowAbout", "belvora_Ecosio", "belvora_BillingSpecifiedPeriod",
             "belvora_SpecifiedTradeAllowanceChange"):
    getattr(lib, name).restype = None
    getattr(lib, name).argtypes = [obj]


def b(s):
    return None if s is None else s.encode("utf-8")


class CapturedStderr:
    """Standard error of the process (where the console messages go) into a file."""

    def __init__(self, path):
        self.path = path

    def __enter__(self):
        sys.stderr.flush()
        self.saved = os.dup(2)
        fd = os.open(self.path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
        os.dup2(fd, 2)
        os.close(fd)
        return self

    def __exit__(self, *exc):
        os.dup2(self.saved, 2)
        os.close(self.saved)
        with open(self.path, encoding="utf-8", newline="") as f:
            self.text = f.read()


class CApiTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="belvora-py-")
        os.environ["XDG_CONFIG_HOME"] = os.path.join(self.dir, "config")
        os.environ["BELVORA_UI"] = "console"
        os.environ.pop("BELVORA_ANSWER", None)
        self.db = os.path.join(self.dir, "erp.sqlite")
        shutil.copyfile(TEMPLATE_DB, self.db)
        self.connect = "Data Source=" + self.db

    def tearDown(self):
        shutil.rmtree(self.dir)

    def documents(self):
        with sqlite3.connect(self.db) as c:
            return c.execute(
                "SELECT DocType, Number, BinaryFile, FileName, FileType, FileSize "
                "FROM tblDocuments ORDER BY ID").fetchall()

    def test_classes_are_created_by_name(self):
        self.assertIsNone(lib.belvora_create(b"belvora.clsUnknown"))
        self.assertIsNone(lib.belvora_create(None))
        for name in (b"belvora.clsXRechnung", b"belvora.clsXConverter"):
            o = lib.belvora_create(name)
            self.assertIsNotNone(o)
            lib.belvora_release(o)
        lib.belvora_release(None)

    def test_wrong_class_or_null_gives_false_and_does_nothing(self):
        x = lib.belvora_create(b"belvora.clsXRechnung")
        c = lib.belvora_create(b"belvora.clsXConverter")
        out = os.path.join(self.dir, "a.xml")
        try:
            with CapturedStderr(os.path.join(self.dir, "err.txt")) as err:
                self.assertEqual(lib.belvora_DLL_Init_DB(
                    c, b(out), b(self.connect), b"Select * from xRechnung", b"252068", 0,
                    None, None, 0), 0)
                self.assertEqual(lib.belvora_CreateXRechnung(c), 0)
                self.assertEqual(lib.belvora_CreateXRechnung(None), 0)
                self.assertEqual(lib.belvora_XConverter(x, b(out), None, None, None, None, 0), 0)
                self.assertEqual(lib.belvora_XConverter(None, None, None, None, None, None, 0), 0)
                lib.belvora_ShowAbout(c)
                lib.belvora_Ecosio(None)
            self.assertEqual(err.text, "")
            self.assertFalse(os.path.exists(out))
        finally:
            lib.belvora_release(x)
            lib.belvora_release(c)

    def test_full_creation_run_with_default_table(self):
        out = os.path.join(self.dir, "RE/2025/1.xml")  # no folder RE: written as RE-2025-1.xml
        x = lib.belvora_create(b"belvora.clsXRechnung")
        try:
            with CapturedStderr(os.path.join(self.dir, "err.txt")) as err:
                self.assertEqual(lib.belvora_DLL_Init_DB(
                    x, b(out), b(self.connect), b"Select * from xRechnung", b"252070", -1,
                    None, None, 0), -1)
                self.assertEqual(lib.belvora_CreateXRechnung(x), -1)
            self.assertEqual(err.text, "")
        finally:
            lib.belvora_release(x)
        written = os.path.join(self.dir, "RE-2025-1.xml")
        with open(written, "rb") as f:
            data = f.read()
        self.assertTrue(data.startswith(b"\xef\xbb\xbf<?xml"))
        self.assertTrue(data.endswith(b"</rsm:CrossIndustryInvoice>"))
        self.assertEqual(self.documents(),
                         [("AU", "252070", data, "RE-2025-1.xml", "xml", len(data))])

    def test_null_table_means_default_and_empty_table_means_none(self):
        x = lib.belvora_create(b"belvora.clsXRechnung")
        try:
            out = os.path.join(self.dir, "a.xml")
            self.assertEqual(lib.belvora_DLL_Init_DB(
                x, b(out), b(self.connect), b"Select * from xRechnung", b"252069", 0,
                b"", b"", 1), -1)
            self.assertEqual(lib.belvora_CreateXRechnung(x), -1)
            self.assertEqual(self.documents(), [])
        finally:
            lib.belvora_release(x)

    def test_failure_shows_the_message_and_returns_false(self):
        x = lib.belvora_create(b"belvora.clsXRechnung")
        try:
            with CapturedStderr(os.path.join(self.dir, "err.txt")) as err:
                self.assertEqual(lib.belvora_DLL_Init_DB(
                    x, b"/tmp/x.xml", "Data Source=/nonexistent/ü.sqlite".encode(),
                    b"Select * from xRechnung", b"1", 0, None, None, 0), 0)
            self.assertEqual(
                err.text,
                "[Note] Connect to database failed.\r\nPlease note the error from the "
                "interface.\r\n" + "-" * 50 + "\r\n\r\ndatabase file not found: "
                "/nonexistent/ü.sqlite\n")
        finally:
            lib.belvora_release(x)


if __name__ == "__main__":
    unittest.main(verbosity=2)
