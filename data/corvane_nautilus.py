"""Adds "Destroy With Corvane" to the Nautilus menu of local files and folders.

Corvane only lists what it is given: nothing is destroyed before its Delete
Files command is confirmed.
"""
import gi

try:
    gi.require_version("Nautilus", "4.0")
except ValueError:
    gi.require_version("Nautilus", "3.0")
from gi.repository import GLib, GObject, Nautilus  # noqa: E402


def local_paths(files):
    """The paths of `files`, or nothing when one of them is not a local file.

    A remote item has no path of its own; destroying a downloaded copy would
    leave the original in place.
    """
    paths = []
    for item in files:
        path = item.get_location().get_path() if item.get_uri_scheme() == "file" else None
        if not path:
            return []
        paths.append(path)
    return paths


class CorvaneMenu(GObject.GObject, Nautilus.MenuProvider):
    def get_file_items(self, *args):
        # Nautilus 43 passes the files alone, older versions the window first.
        paths = local_paths(args[-1])
        if not paths:
            return []
        item = Nautilus.MenuItem(
            name="CorvaneMenu::Destroy",
            label="Destroy With Corvane",
            tip="List the selection in Corvane for destruction",
            icon="net.halvek.Corvane",
        )
        # GLib reaps the child itself: no zombie stays behind once Corvane ends.
        item.connect("activate", lambda *_: GLib.spawn_async(
            ["corvane", "--", *paths], flags=GLib.SpawnFlags.SEARCH_PATH))
        return [item]
