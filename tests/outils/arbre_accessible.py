#!/usr/bin/python3
"""Reads an application's accessible tree over AT-SPI, as a screen reader does, and prints
every page tab as one line: NAME | ROLE | STATES | DESCRIPTION | bar NAME OF ITS LIST'S INDEX.
Usage: arbre_accessible.py APPLICATION_NAME. Exits 2 when the application is not on the bus."""
import sys

import pyatspi


def parcourir(noeud, profondeur=0):
    if noeud is None or profondeur > 40:
        return
    try:
        enfants = list(noeud)
    except Exception:
        return
    for enfant in enfants:
        if enfant is None:
            continue
        if enfant.getRole() == pyatspi.ROLE_PAGE_TAB:
            etats = enfant.getState()
            noms = [n for n, e in (("selected", pyatspi.STATE_SELECTED), ("selectable", pyatspi.STATE_SELECTABLE),
                                   ("showing", pyatspi.STATE_SHOWING)) if etats.contains(e)]
            liste = enfant.parent
            print(f"{enfant.name} | {enfant.getRoleName()} | {','.join(noms)} | {enfant.description} | "
                  f"liste {liste.getRoleName() if liste else '-'} {enfant.getIndexInParent()}")
        parcourir(enfant, profondeur + 1)


def main():
    nom = sys.argv[1]
    bureau = pyatspi.Registry.getDesktop(0)
    for application in bureau:
        if application is not None and application.name == nom:
            parcourir(application)
            return 0
    print("applications : " + ", ".join(a.name for a in bureau if a is not None), file=sys.stderr)
    return 2


sys.exit(main())
