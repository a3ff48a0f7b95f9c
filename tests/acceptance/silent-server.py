#!/usr/bin/env python3
"""Stands in for a sound server that takes every connection at a Unix socket and never
answers. Usage: silent-server.py SOCKET_PATH (runs until killed)."""
import socket
import sys
import time

server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
server.bind(sys.argv[1])
server.listen(16)
held = []
while True:
    connection, _ = server.accept()
    held.append(connection)  # kept open, never read
    time.sleep(0.01)
