#!/usr/bin/python3
"""Reads an application's accessible tree over AT-SPI, as a screen reader does, and prints
every page tab as one line: NAME | ROLE | STATES | DESCRIPTION | bar NAME OF ITS LIST'S INDEX.
With --tout, every element instead: NAME | ROLE | STATES | ACTIONS | PARENT'S ROLE; with
--places, every element as ROLE | NAME | DESCRIPTION | X Y W H (its place on screen); with
--valeurs, every element that holds a value as NAME | MINIMUM MAXIMUM VALUE.
Usage: arbre_accessible.py [--tout | --places | --valeurs] APPLICATION_NAME. Exits 2 when the
application is not on the bus."""
import sys

import pyatspi


ONGLET = (("selected", pyatspi.STATE_SELECTED), ("selectable", pyatspi.STATE_SELECTABLE),
          ("showing", pyatspi.STATE_SHOWING))
TOUT = (("checked", pyatspi.STATE_CHECKED), ("checkable", pyatspi.STATE_CHECKABLE),
        ("focusable", pyatspi.STATE_FOCUSABLE), ("showing", pyatspi.STATE_SHOWING))


def etats(element, lus):
    contenus = element.getState()
    return ",".join(n for n, e in lus if contenus.contains(e))


def actions(element):
    try:
        a = element.queryAction()
    except NotImplementedError:
        return ""
    return ",".join(a.getName(i) for i in range(a.nActions))


def place(element):
    try:
        e = element.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    except NotImplementedError:
        return "-"
    return f"{e.x} {e.y} {e.width} {e.height}"


def valeur(element):
    try:
        v = element.queryValue()
    except NotImplementedError:
        return None
    return f"{v.minimumValue:g} {v.maximumValue:g} {v.currentValue:g}"


def ecrire(element, mode):
    if mode == "--valeurs":
        v = valeur(element)
        if v is not None:
            print(f"{element.name} | {v}")
    elif mode == "--places":
        print(f"{element.getRoleName()} | {element.name} | {element.description} | {place(element)}")
    elif mode == "--tout":
        parent = element.parent
        print(f"{element.name} | {element.getRoleName()} | {etats(element, TOUT)} | {actions(element)} | "
              f"dans {parent.getRoleName() if parent else '-'}")
    elif element.getRole() == pyatspi.ROLE_PAGE_TAB:
        liste = element.parent
        print(f"{element.name} | {element.getRoleName()} | {etats(element, ONGLET)} | {element.description} | "
              f"liste {liste.getRoleName() if liste else '-'} {element.getIndexInParent()}")


def parcourir(noeud, mode, profondeur=0):
    if noeud is None or profondeur > 40:
        return
    try:
        enfants = list(noeud)
    except Exception:
        return
    for enfant in enfants:
        if enfant is None:
            continue
        ecrire(enfant, mode)
        parcourir(enfant, mode, profondeur + 1)


def main():
    options = [a for a in sys.argv[1:] if a in ("--tout", "--places", "--valeurs")]
    mode = options[0] if options else None
    nom = [a for a in sys.argv[1:] if a not in options][0]
    bureau = pyatspi.Registry.getDesktop(0)
    for application in bureau:
        if application is not None and application.name == nom:
            parcourir(application, mode)
            return 0
    print("applications : " + ", ".join(a.name for a in bureau if a is not None), file=sys.stderr)
    return 2


sys.exit(main())
