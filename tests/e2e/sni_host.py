#!/usr/bin/python3
"""A small StatusNotifierItem host of our own, for the end-to-end runs on a
private session bus.

    sni_host.py watch <log>             be the org.kde.StatusNotifierWatcher
                                        with a host; log what registers
    sni_host.py get <service> <name>    print a property of the item
    sni_host.py tooltip <service>       print the tooltip's title
    sni_host.py icon-sizes <service>    print the icon's sizes, e.g. 32x32
    sni_host.py call <service> <method> [x y]
                                        Activate, SecondaryActivate, ContextMenu
    sni_host.py double <service> <ms>   two Activate calls <ms> apart
    sni_host.py menu <service>          print the exported menu, one item a line:
                                        depth, id, enabled, label
    sni_host.py click <service> <label>...
                                        send "clicked" to the item reached by
                                        these labels ("_" marks left out)
    sni_host.py click-group <service> <label>...
                                        the same as a one-event EventGroup
    sni_host.py burst <service> <count> <how> [<label>...]
                                        <count> calls at once, without waiting
                                        for replies in between: ContextMenu or
                                        Activate (at 10,10), or "clicked" on the
                                        labelled item as Event calls and
                                        EventGroup calls of ten in turn (click);
                                        prints how many were answered
    sni_host.py property <service> <id> <name>
                                        GetProperty on the menu: the value, or
                                        "error <name>"
    sni_host.py members <service> <path> <interface>
                                        the methods and signals the object
                                        exports, one a line
"""
import sys
import time

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM_IFACE = "org.kde.StatusNotifierItem"
ITEM_PATH = "/StatusNotifierItem"
MENU_IFACE = "com.canonical.dbusmenu"

WATCHER_XML = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>
"""


def bus():
    return Gio.bus_get_sync(Gio.BusType.SESSION, None)


def watch(log_path):
    items = {}  # service -> name watch id
    log = open(log_path, "a", buffering=1)
    connection = bus()
    node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)

    def vanished(_conn, name):
        if name in items:
            Gio.bus_unwatch_name(items.pop(name))
            log.write("unregistered %s\n" % name)
            connection.emit_signal(None, WATCHER_PATH, WATCHER, "StatusNotifierItemUnregistered",
                                   GLib.Variant("(s)", (name,)))

    def method(_conn, sender, _path, _iface, name, params, invocation):
        if name == "RegisterStatusNotifierItem":
            service = params.unpack()[0]
            if service.startswith("/"):  # some items give only their path
                service = sender
            if service not in items:
                items[service] = Gio.bus_watch_name_on_connection(
                    connection, service, Gio.BusNameWatcherFlags.NONE, None, vanished)
            log.write("registered %s\n" % service)
            connection.emit_signal(None, WATCHER_PATH, WATCHER, "StatusNotifierItemRegistered",
                                   GLib.Variant("(s)", (service,)))
        invocation.return_value(None)

    def get_property(_conn, _sender, _path, _iface, name):
        if name == "RegisteredStatusNotifierItems":
            return GLib.Variant("as", sorted(items))
        if name == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", True)
        return GLib.Variant("i", 0)

    connection.register_object(WATCHER_PATH, node.interfaces[0], method, get_property, None)
    Gio.bus_own_name_on_connection(connection, WATCHER, Gio.BusNameOwnerFlags.NONE,
                                   lambda *_: log.write("watching\n"), None)
    GLib.MainLoop().run()


def call(service, path, iface, method, params=None, reply=None):
    return bus().call_sync(service, path, iface, method, params, GLib.VariantType(reply) if reply else None,
                           Gio.DBusCallFlags.NONE, 5000, None)


def prop(service, name):
    return call(service, ITEM_PATH, "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", (ITEM_IFACE, name)), "(v)").unpack()[0]


def layout(service):
    return call(service, "/MenuBar", MENU_IFACE, "GetLayout", GLib.Variant("(iias)", (0, -1, [])),
                "(u(ia{sv}av))").unpack()[1]


def walk(node, depth=0):
    item_id, props, children = node
    yield depth, item_id, props
    for child in children:
        yield from walk(child, depth + 1)


def find_item(service, labels):
    node = layout(service)
    for label in labels:
        matches = [c for c in node[2] if plain(c[1].get("label", "")) == label]
        if not matches:
            sys.exit("no menu item %r" % label)
        node = matches[0]
    return node[0]


def click_event(item_id):
    return (item_id, "clicked", GLib.Variant("i", 0), 0)


def burst(service, count, how, labels):
    connection = bus()
    loop = GLib.MainLoop()
    state = {"answered": 0, "errors": 0, "left": count}
    item_id = find_item(service, labels) if how == "click" else 0

    def done(conn, result):
        try:
            conn.call_finish(result)
            state["answered"] += 1
        except GLib.Error as e:
            if state["errors"] == 0:
                sys.stderr.write("first error: %s\n" % e.message)
            state["errors"] += 1
        state["left"] -= 1
        if state["left"] == 0:
            loop.quit()

    for n in range(count):
        if how == "click" and n % 2:
            path, iface, method = "/MenuBar", MENU_IFACE, "EventGroup"
            params = GLib.Variant("(a(isvu))", ([click_event(item_id)] * 10,))
        elif how == "click":
            path, iface, method = "/MenuBar", MENU_IFACE, "Event"
            params = GLib.Variant("(isvu)", click_event(item_id))
        else:
            path, iface, method = ITEM_PATH, ITEM_IFACE, how
            params = GLib.Variant("(ii)", (10, 10))
        connection.call(service, path, iface, method, params, None, Gio.DBusCallFlags.NONE, 60000, None, done)
    GLib.timeout_add_seconds(90, loop.quit)
    loop.run()
    print("answered %d errors %d unanswered %d" % (state["answered"], state["errors"], state["left"]))


def plain(label):
    return label.replace("__", "\0").replace("_", "").replace("\0", "_")


def main():
    command, args = sys.argv[1], sys.argv[2:]
    if command == "watch":
        watch(args[0])
    elif command == "get":
        print(prop(args[0], args[1]))
    elif command == "tooltip":
        print(prop(args[0], "ToolTip")[2])
    elif command == "icon-sizes":
        print(" ".join("%dx%d" % (w, h) for w, h, data in prop(args[0], "IconPixmap") if len(data) == w * h * 4))
    elif command == "call":
        x, y = (int(args[2]), int(args[3])) if len(args) > 3 else (0, 0)
        call(args[0], ITEM_PATH, ITEM_IFACE, args[1], GLib.Variant("(ii)", (x, y)))
    elif command == "double":
        call(args[0], ITEM_PATH, ITEM_IFACE, "Activate", GLib.Variant("(ii)", (0, 0)))
        time.sleep(int(args[1]) / 1000.0)
        call(args[0], ITEM_PATH, ITEM_IFACE, "Activate", GLib.Variant("(ii)", (0, 0)))
    elif command == "menu":
        for depth, item_id, props in walk(layout(args[0])):
            if depth == 0:
                continue
            label = "-" if props.get("type") == "separator" else plain(props.get("label", ""))
            print("%d %d %s %s" % (depth, item_id, "on" if props.get("enabled", True) else "off", label))
    elif command == "click":
        call(args[0], "/MenuBar", MENU_IFACE, "Event", GLib.Variant("(isvu)", click_event(find_item(args[0], args[1:]))))
    elif command == "click-group":
        unknown = call(args[0], "/MenuBar", MENU_IFACE, "EventGroup",
                       GLib.Variant("(a(isvu))", ([click_event(find_item(args[0], args[1:]))],)), "(ai)").unpack()[0]
        if unknown:
            sys.exit("EventGroup did not know %r" % unknown)
    elif command == "burst":
        burst(args[0], int(args[1]), args[2], args[3:])
    elif command == "property":
        try:
            value = call(args[0], "/MenuBar", MENU_IFACE, "GetProperty",
                         GLib.Variant("(is)", (int(args[1]), args[2])), "(v)").unpack()[0]
            print(value)
        except GLib.Error as e:
            print("error " + Gio.DBusError.get_remote_error(e))
    elif command == "members":
        xml = call(args[0], args[1], "org.freedesktop.DBus.Introspectable", "Introspect", None, "(s)").unpack()[0]
        iface = Gio.DBusNodeInfo.new_for_xml(xml).lookup_interface(args[2])
        if iface is not None:
            for m in iface.methods:
                print(m.name)
            for s in iface.signals:
                print(s.name)
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main()
