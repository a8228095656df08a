"""A private headless LibreOffice for the LibreOffice peers: started with its own
profile (so it never meets a user's running office), driven over a UNO socket,
and ended when the run ends."""
import os
import shutil
import socket
import subprocess
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException

CONNECT_TIMEOUT_SECONDS = 60
STORE_FILTERS = {".xlsx": "Calc MS Excel 2007 XML", ".xlsm": "Calc MS Excel 2007 VBA XML", ".xls": "MS Excel 97"}


def properties(**values):
    result = []
    for name, value in values.items():
        item = PropertyValue()
        item.Name, item.Value = name, value
        result.append(item)
    return tuple(result)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Office:
    def __enter__(self):
        self.profile = tempfile.mkdtemp(prefix="sheetwright-bench-lo-")
        port = free_port()
        self.process = subprocess.Popen(
            ["soffice", "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
             "-env:UserInstallation=" + uno.systemPathToFileUrl(self.profile),
             "--accept=socket,host=127.0.0.1,port=%d;urp;" % port],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.context = self.connect(port)
        manager = self.context.ServiceManager
        self.desktop = manager.createInstanceWithContext("com.sun.star.frame.Desktop", self.context)
        self.dispatcher = manager.createInstanceWithContext("com.sun.star.frame.DispatchHelper", self.context)
        return self

    def connect(self, port):
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        url = "uno:socket,host=127.0.0.1,port=%d;urp;StarOffice.ComponentContext" % port
        deadline = time.monotonic() + CONNECT_TIMEOUT_SECONDS
        while True:
            try:
                return resolver.resolve(url)
            except NoConnectException:
                if time.monotonic() > deadline or self.process.poll() is not None:
                    raise
                time.sleep(0.1)

    def __exit__(self, *exc):
        try:
            self.desktop.terminate()
        except Exception:
            pass  # the bridge drops as soffice exits
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def load(self, path):
        url = uno.systemPathToFileUrl(os.path.abspath(path))
        document = self.desktop.loadComponentFromURL(url, "_blank", 0, properties(Hidden=True))
        if document is None:
            raise IOError("LibreOffice could not open " + path)
        return document

    def dispatch(self, document, command, **arguments):
        frame = document.CurrentController.Frame
        self.dispatcher.executeDispatch(frame, command, "", 0, properties(**arguments))


def store_as(document, path):
    """Stores in the format that the path's suffix names (in place when it is the
    document's own path)."""
    suffix = os.path.splitext(path)[1].lower()
    url = uno.systemPathToFileUrl(os.path.abspath(path))
    document.storeAsURL(url, properties(FilterName=STORE_FILTERS[suffix], Overwrite=True))


def used_area(sheet):
    """The used range of a sheet, from A1 to its last used cell."""
    cursor = sheet.createCursor()
    cursor.gotoEndOfUsedArea(False)
    end = cursor.RangeAddress
    return sheet.getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow)
