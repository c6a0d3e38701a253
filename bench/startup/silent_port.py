# A loopback port whose connections are never answered: a listener with a full queue that never accepts,
# so the kernel drops every further SYN, as a route to a server that is gone does. Prints the port, then
# holds it until its input closes. Run by startup_to_window.sh.
import socket
import sys

listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(0)
port = listener.getsockname()[1]
held = []
for _ in range(3):  # more than the queue takes
    filler = socket.socket()
    filler.setblocking(False)
    try:
        filler.connect(("127.0.0.1", port))
    except BlockingIOError:
        pass
    held.append(filler)
print(port, flush=True)
sys.stdin.read()
