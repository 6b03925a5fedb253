"""The C ABI through Python's ctypes: calls on the wrong class or NULL show
and write nothing; a NULL documents table is the default one, an empty one
none (the connection failure text and the C view are tested elsewhere)."""
import contextlib
import ctypes
import os
import shutil
import sqlite3
import tempfile
import unittest

lib = ctypes.CDLL(os.environ["BELVORA_LIBRARY_FILE"])
obj, text, flag = ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int16
for name, res, args in (("create", obj, [text]), ("release", None, [obj]),
                        ("DLL_Init_DB", flag, [obj, text, text, text, text, flag, text, text, flag]),
                        ("CreateXRechnung", flag, [obj]), ("ShowAbout", None, [obj]),
                        ("XConverter", flag, [obj, text, text, text, text, text, flag])):
    getattr(lib, "belvora_" + name).restype = res
    getattr(lib, "belvora_" + name).argtypes = args
SELECT = b"Select * from xRechnung"


class CApiTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="belvora-py-")
        self.addCleanup(shutil.rmtree, self.dir)
        os.environ.update(XDG_CONFIG_HOME=os.path.join(self.dir, "config"), BELVORA_UI="console")
        self.db = os.path.join(self.dir, "erp.sqlite")
        shutil.copyfile(os.environ["BELVORA_TEMPLATE_DB"], self.db)
        self.connect = ("Data Source=" + self.db).encode()
        self.x = lib.belvora_create(b"belvora.clsXRechnung")
        self.c = lib.belvora_create(b"belvora.clsXConverter")
        self.addCleanup(lib.belvora_release, self.x)
        self.addCleanup(lib.belvora_release, self.c)

    @contextlib.contextmanager
    def stderr(self, expected):
        """Standard error (where the console messages go) must be `expected`."""
        path = os.path.join(self.dir, "err.txt")
        saved, fd = os.dup(2), os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
        os.dup2(fd, 2)
        os.close(fd)
        try:
            yield
        finally:
            os.dup2(saved, 2)
            os.close(saved)
        with open(path, encoding="utf-8", newline="") as f:
            self.assertEqual(f.read(), expected)

    def documents(self):
        with sqlite3.connect(self.db) as c:
            return c.execute("SELECT DocType, Number, BinaryFile, FileName, FileType, FileSize "
                             "FROM tblDocuments ORDER BY ID").fetchall()

    def test_wrong_class_or_null_gives_false_and_does_nothing(self):
        out = os.path.join(self.dir, "a.xml").encode()
        with self.stderr(""):
            self.assertEqual(lib.belvora_DLL_Init_DB(self.c, out, self.connect, SELECT, b"252068",
                                                     0, None, None, 0), 0)
            self.assertEqual(lib.belvora_CreateXRechnung(self.c), 0)
            self.assertEqual(lib.belvora_XConverter(self.x, out, None, None, None, None, 0), 0)
            self.assertEqual(lib.belvora_CreateXRechnung(None), 0)
            self.assertEqual(lib.belvora_XConverter(None, None, None, None, None, None, 0), 0)
            lib.belvora_ShowAbout(self.c)
        self.assertFalse(os.path.exists(out))

    def test_null_table_means_default_and_empty_table_means_none(self):
        out = os.path.join(self.dir, "RE/2025/1.xml")  # no folder RE: written as RE-2025-1.xml
        with self.stderr(""):
            self.assertEqual(lib.belvora_DLL_Init_DB(self.x, out.encode(), self.connect, SELECT,
                                                     b"252070", -1, None, None, 0), -1)
            self.assertEqual(lib.belvora_CreateXRechnung(self.x), -1)
        with open(os.path.join(self.dir, "RE-2025-1.xml"), "rb") as f:
            data = f.read()
        self.assertTrue(data.startswith(b"\xef\xbb\xbf<?xml"))
        self.assertTrue(data.endswith(b"</rsm:CrossIndustryInvoice>"))
        row = ("AU", "252070", data, "RE-2025-1.xml", "xml", len(data))
        self.assertEqual(self.documents(), [row])
        x = lib.belvora_create(b"belvora.clsXRechnung")
        self.addCleanup(lib.belvora_release, x)
        self.assertEqual(lib.belvora_DLL_Init_DB(x, out.encode() + b"2", self.connect, SELECT,
                                                 b"252069", 0, b"", b"", 1), -1)
        self.assertEqual(lib.belvora_CreateXRechnung(x), -1)
        self.assertEqual(self.documents(), [row])


if __name__ == "__main__":
    unittest.main(verbosity=2)
