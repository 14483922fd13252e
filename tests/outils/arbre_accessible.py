#!/usr/bin/python3
"""Reads an application's accessible tree over AT-SPI, as a screen reader does, and prints
every page tab as one line: NAME | ROLE | STATES | DESCRIPTION | bar NAME OF ITS LIST'S INDEX.
With --tout, every element instead: ROLE | NAME | DESCRIPTION | X Y W H (screen extents).
Usage: arbre_accessible.py APPLICATION_NAME [--tout]. Exits 2 when the application is not on
the bus."""
import sys

import pyatspi


def ligne_onglet(enfant):
    if enfant.getRole() != pyatspi.ROLE_PAGE_TAB:
        return None
    etats = enfant.getState()
    noms = [n for n, e in (("selected", pyatspi.STATE_SELECTED), ("selectable", pyatspi.STATE_SELECTABLE),
                           ("showing", pyatspi.STATE_SHOWING)) if etats.contains(e)]
    liste = enfant.parent
    return (f"{enfant.name} | {enfant.getRoleName()} | {','.join(noms)} | {enfant.description} | "
            f"liste {liste.getRoleName() if liste else '-'} {enfant.getIndexInParent()}")


def ligne_element(enfant):
    try:
        e = enfant.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        place = f"{e.x} {e.y} {e.width} {e.height}"
    except Exception:
        place = "-"
    return f"{enfant.getRoleName()} | {enfant.name} | {enfant.description} | {place}"


def parcourir(noeud, ligne, profondeur=0):
    if noeud is None or profondeur > 40:
        return
    try:
        enfants = list(noeud)
    except Exception:
        return
    for enfant in enfants:
        if enfant is None:
            continue
        texte = ligne(enfant)
        if texte is not None:
            print(texte)
        parcourir(enfant, ligne, profondeur + 1)


def main():
    nom = sys.argv[1]
    ligne = ligne_element if "--tout" in sys.argv[2:] else ligne_onglet
    bureau = pyatspi.Registry.getDesktop(0)
    for application in bureau:
        if application is not None and application.name == nom:
            parcourir(application, ligne)
            return 0
    print("applications : " + ", ".join(a.name for a in bureau if a is not None), file=sys.stderr)
    return 2


sys.exit(main())
