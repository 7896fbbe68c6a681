# The real program driven as a user would: its controls found on the
# accessibility bus (AT-SPI), clicked and typed at with xdotool. Used by the
# end-to-end scripts through e2e_drive (a D-Bus session of its own, WORK set).
import os
import subprocess
import sys
import time

import pyatspi

work = os.environ['WORK']


class Program:
    def __init__(self):
        self.log = work + '/kolva.log'
        out = open(self.log, 'w')
        self.proc = subprocess.Popen([work + '/app/kolva'], stdout=out, stderr=subprocess.STDOUT)

    def fail(self, msg):
        """Ends the program and the driver; the script's fail shows the log.
        What was on screen is listed first, to tell what the program showed."""
        try:
            shown = ['%s "%s"' % (n.getRoleName(), n.name) for n in self.nodes() if extents(n)]
            sys.stderr.write('on screen: %s\n' % '; '.join(shown[:300]))
        except Exception:
            pass
        self.proc.kill()
        sys.stderr.write('FAIL: %s\n' % msg)
        sys.exit(1)

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)

    def app(self):
        for a in pyatspi.Registry.getDesktop(0):
            try:
                if a is not None and a.get_process_id() == self.proc.pid:
                    return a
            except Exception:
                pass
        return None

    def nodes(self, within=None, role=None):
        """Every node below `within` (the program), of the role (a name such as
        'push button') when given."""
        for node in walk(within or self.app()):
            try:
                if role is None or node.getRoleName() == role:
                    yield node
            except Exception:
                pass

    def find(self, match, role=None, within=None, timeout=30, must=True):
        """Polls the bus until a node on screen whose name is `match` (or for
        which `match(name)` holds) turns up."""
        test = match if callable(match) else (lambda n: n == match)
        return self.find_node(lambda node: test(node.name or ''), match, role, within, timeout, must)

    def labelled(self, label, role=None, within=None, timeout=30):
        """The control a screen reader names by its label (Qt names a combo
        box by its current text, and tells its label by a relation)."""
        return self.find_node(lambda node: label in labels(node), 'labelled ' + label, role, within,
                              timeout, True)

    def find_node(self, test, what, role, within, timeout, must):
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                self.fail('the program ended')
            for node in self.nodes(within, role):
                try:
                    if test(node) and extents(node):
                        return node
                except Exception:
                    pass
            time.sleep(0.2)
        if must:
            self.fail('not on the accessibility bus: %s (%s)' % (what, role))
        return None

    def gone(self, match, role=None, timeout=15):
        test = match if callable(match) else (lambda n: n == match)
        end = time.time() + timeout
        while time.time() < end:
            if not any(test(n.name or '') and extents(n) for n in self.nodes(role=role)):
                return
            time.sleep(0.2)
        self.fail('still on screen: %s' % match)

    def click(self, node, left=False, count=1):
        """Clicks (`count` times) the middle of the node, or near its left edge
        with `left`, where a row's text starts."""
        e = extents(node) or self.fail('not on screen: %s' % node.name)
        x = e.x + (min(8, e.width // 2) if left else e.width // 2)
        subprocess.run(['xdotool', 'mousemove', str(x), str(e.y + e.height // 2), 'click',
                        '--repeat', str(count), '--delay', '80', '1'], check=True)
        time.sleep(0.4)

    def focus_window(self, title, timeout=15):
        """Gives the program's window of this title the keyboard focus, as a
        window manager does with a window it maps (our X server runs none)."""
        end = time.time() + timeout
        while time.time() < end:
            found = subprocess.run(['xdotool', 'search', '--all', '--onlyvisible', '--pid', str(self.proc.pid),
                                    '--name', '^%s$' % title], capture_output=True, text=True)
            windows = found.stdout.split()
            if windows:
                subprocess.run(['xdotool', 'windowfocus', '--sync', windows[0]], check=True)
                time.sleep(0.3)
                return
            time.sleep(0.2)
        self.fail('no window "%s" to focus' % title)

    def focused(self, within=None):
        """The nodes with the keyboard focus (a control, and the row or item
        inside it that has it). Qt leaves the focused state on a list's
        current row when the list loses the focus: a row counts only while
        its list has it."""
        out = []
        for node in self.nodes(within):
            try:
                if not node.getState().contains(pyatspi.STATE_FOCUSED):
                    continue
                if node.getRoleName() in ('table cell', 'list item') and \
                        not node.parent.getState().contains(pyatspi.STATE_FOCUSED):
                    continue
                out.append(node)
            except Exception:
                pass
        return out

    def tab_to(self, match, role=None, within=None, limit=80, back=False):
        """Presses Tab (Shift+Tab with `back`) until a node whose name is
        `match` (or for which `match(name)` holds) has the focus: the control
        is reachable by keyboard in this many steps."""
        test = match if callable(match) else (lambda n: n == match)
        for _ in range(limit):
            for node in self.focused(within):
                try:
                    if test(node.name or '') and (role is None or node.getRoleName() == role):
                        return node
                except Exception:
                    pass
            key('shift+Tab' if back else 'Tab')
        self.fail('Tab never reached %s (%s); the focus is on %s' % (
            match, role, ['%s "%s"' % (n.getRoleName(), n.name) for n in self.focused(within)]))

    def wait_state(self, node, state, present=True, timeout=10):
        end = time.time() + timeout
        while time.time() < end:
            if node.getState().contains(state) == present:
                return
            time.sleep(0.1)
        self.fail('%s: state %s is not %s' % (node.name, state, present))

    def shot(self, name, node=None):
        """A picture of the screen (of the node only, when given) into the
        folder KOLVA_E2E_SHOTS names; nothing when it is not set."""
        folder = os.environ.get('KOLVA_E2E_SHOTS')
        if not folder:
            return
        time.sleep(0.5)
        crop = []
        e = extents(node) if node is not None else None
        if e:
            x, y = max(0, e.x), max(0, e.y)
            crop = ['startx=%d' % x, 'starty=%d' % y, 'endx=%d' % (x + e.width - 1),
                    'endy=%d' % (y + e.height - 1)]
        subprocess.run(['gst-launch-1.0', '-q', 'ximagesrc', 'num-buffers=1', 'use-damage=false'] +
                       crop + ['!', 'videoconvert', '!', 'pngenc', '!', 'filesink',
                               'location=' + os.path.join(folder, name)], check=False)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(min(count, 400)):
        try:
            yield from walk(node.getChildAtIndex(i), depth + 1)
        except Exception:
            pass


def extents(node):
    """The node's place on the screen, or None when it is not shown."""
    try:
        if not node.getState().contains(pyatspi.STATE_SHOWING):
            return None
        e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e if e.width > 0 and e.height > 0 else None
    except Exception:
        return None


def labels(node):
    """The names of the labels the node is labelled by."""
    names = []
    for rel in node.getRelationSet():
        if rel.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [rel.getTarget(i).name for i in range(rel.getNTargets())]
    return names


def key(*keys):
    subprocess.run(['xdotool', 'key', '--delay', '60'] + list(keys), check=True)
    time.sleep(0.3)


def type_text(text):
    subprocess.run(['xdotool', 'type', '--delay', '30', '--', text], check=True)
    time.sleep(0.3)
