#!/usr/bin/python3
"""A drag source that drops files on an X11 window the way a file manager does.

It speaks XDND version 5: XdndEnter with the one type text/uri-list, XdndPosition over
the middle of the target, XdndDrop once the target has answered, and it serves the
XdndSelection (the file:// URIs, one a line) until the target sends XdndFinished.

Usage: xdnd_drop.py WINDOW_ID PATH...   (DISPLAY names the X server)
"""

import select
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display as xdisplay
from Xlib.protocol import event as xevent

XDND_VERSION = 5
URI_LIST = "text/uri-list"


class DropError(Exception):
    pass


def uri_list(paths):
    """The text/uri-list body: one file URI a line, each line ended by CR LF."""
    lines = ("file://" + urllib.parse.quote(path, safe="/") for path in paths)
    return "".join(line + "\r\n" for line in lines).encode("ascii")


class DragSource:
    def __init__(self, display_name=None):
        self.display = xdisplay.Display(display_name)
        self.atoms = {name: self.display.intern_atom(name) for name in (
            "XdndAware", "XdndEnter", "XdndPosition", "XdndStatus", "XdndLeave", "XdndDrop",
            "XdndFinished", "XdndSelection", "XdndActionCopy", "XdndTypeList", URI_LIST)}
        root = self.display.screen().root
        # Never mapped: it only owns the selection and receives the target's answers.
        self.window = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent, override_redirect=True)
        self.window.change_property(self.atoms["XdndAware"], Xatom.ATOM, 32, [XDND_VERSION])

    def close(self):
        self.window.destroy()
        self.display.close()

    def _send(self, target, message, data):
        client_message = xevent.ClientMessage(
            window=target, client_type=self.atoms[message], data=(32, data + [0] * (5 - len(data))))
        target.send_event(client_message, event_mask=X.NoEventMask)
        self.display.flush()

    def _centre_on_root(self, target):
        geometry = target.get_geometry()
        origin = self.display.screen().root.translate_coords(target, 0, 0)
        return origin.x + geometry.width // 2, origin.y + geometry.height // 2

    def _serve(self, request, body):
        """Answers one SelectionRequest for the XdndSelection."""
        answered = X.NONE
        if request.selection == self.atoms["XdndSelection"] and request.target == self.atoms[URI_LIST]:
            request.requestor.change_property(request.property, request.target, 8, body)
            answered = request.property
        notify = xevent.SelectionNotify(time=request.time, requestor=request.requestor,
                                        selection=request.selection, target=request.target,
                                        property=answered)
        request.requestor.send_event(notify)
        self.display.flush()

    def _wait_for(self, message, body, deadline):
        """Serves the selection until the target sends `message`; returns its data."""
        while True:
            while self.display.pending_events():
                ev = self.display.next_event()
                if ev.type == X.SelectionRequest:
                    self._serve(ev, body)
                elif ev.type == X.ClientMessage and ev.client_type == self.atoms[message]:
                    return ev.data[1][1]
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise DropError(f"the target sent no {message}")
            select.select([self.display], [], [], remaining)

    def drop(self, target_id, paths, wait_seconds=20.0):
        """Drops `paths` (Unix paths, in this order) on the X window `target_id`.

        Returns True when the target accepted the drop and reported it handled."""
        target = self.display.create_resource_object("window", target_id)
        body = uri_list(paths)
        source = self.window.id
        self.window.set_selection_owner(self.atoms["XdndSelection"], X.CurrentTime)
        deadline = time.monotonic() + wait_seconds
        self._send(target, "XdndEnter", [source, XDND_VERSION << 24, self.atoms[URI_LIST]])
        x, y = self._centre_on_root(target)
        self._send(target, "XdndPosition",
                   [source, 0, (x << 16) | y, X.CurrentTime, self.atoms["XdndActionCopy"]])
        status = self._wait_for("XdndStatus", body, deadline)
        if not status & 1:
            self._send(target, "XdndLeave", [source])
            return False
        self._send(target, "XdndDrop", [source, 0, X.CurrentTime])
        finished = self._wait_for("XdndFinished", body, deadline)
        return bool(finished & 1)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    source = DragSource()
    try:
        accepted = source.drop(int(argv[1], 0), argv[2:])
    finally:
        source.close()
    print("accepted" if accepted else "refused")
    return 0 if accepted else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
