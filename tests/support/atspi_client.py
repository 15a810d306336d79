#!/usr/bin/python3
"""What an assistive tool sees of one application on the accessibility bus.

  atspi_client.py APP list                    every object: role<TAB>name
  atspi_client.py APP do ROLE NAME ACTION     runs the object's action
  atspi_client.py APP type ROLE NAME TEXT     replaces the object's text

Exit status 0 when done, 1 when the application or object is not there.
"""
import sys

import pyatspi


def application(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def objects(root):
    for child in root:
        if child is None:
            continue
        yield child
        yield from objects(child)


def find(app, role, name):
    for obj in objects(app):
        if obj.getRoleName() == role and obj.name == name:
            return obj
    return None


def run_action(obj, action):
    actions = obj.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i) == action:
            return actions.doAction(i)
    return False


def main(argv):
    app = application(argv[1])
    if app is None:
        return 1
    command = argv[2]
    if command == "list":
        for obj in objects(app):
            print(f"{obj.getRoleName()}\t{obj.name}")
        return 0
    obj = find(app, argv[3], argv[4])
    if obj is None:
        return 1
    if command == "do":
        return 0 if run_action(obj, argv[5]) else 1
    if command == "type":
        return 0 if obj.queryEditableText().setTextContents(argv[5]) else 1
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
