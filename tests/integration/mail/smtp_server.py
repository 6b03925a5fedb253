"""SMTP server for the mail tests: implicit TLS on 127.0.0.1, AUTH required.

    smtp_server.py FOLDER CERT KEY USER PASSWORD

Prints its port on standard output once it listens and runs until standard
input closes. Every message it accepts is stored in FOLDER as N.eml (as
received) and decoded beside it: N.headers ("Name: value" lines, decoded),
N.body (the text part), N.attachment and N.filename (the attached file),
N.envelope (sender, recipients, login) and N.defects (what the parser found
wrong, one per line).
"""
import asyncio
import email
import logging
import email.policy
import os
import socket
import ssl
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

folder, cert, key, user, password = sys.argv[1:6]
# AUTH without STARTTLS is what implicit TLS means here; no need to warn.
warnings.simplefilter("ignore")
logging.getLogger("mail.log").setLevel(logging.ERROR)


def write(name, data):
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name + ".part"), "wb") as f:
        f.write(data)
    os.rename(os.path.join(folder, name + ".part"), os.path.join(folder, name))


class Store:
    def __init__(self):
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        n = str(self.count)
        raw = envelope.original_content
        msg = email.message_from_bytes(raw, policy=email.policy.default)
        defects = [type(d).__name__ for d in msg.defects]
        lines = []
        for name in ("Date", "From", "To", "Cc", "Bcc", "Subject", "Message-ID",
                     "MIME-Version", "Content-Type"):
            for value in msg.get_all(name) or []:
                lines.append(f"{name}: {value}")
        body = msg.get_body(preferencelist=("plain",))
        if body is not None:
            defects += [type(d).__name__ for d in body.defects]
            lines.append(f"Body-Type: {body.get_content_type()}; charset={body.get_content_charset()}")
            write(n + ".body", body.get_content())
        for part in msg.iter_attachments():
            defects += [type(d).__name__ for d in part.defects]
            write(n + ".filename", part.get_filename() or "")
            write(n + ".attachment", part.get_payload(decode=True))
        login = session.auth_data.decode() if session.auth_data else ""
        write(n + ".headers", "\n".join(lines) + "\n")
        write(n + ".envelope", "\n".join([envelope.mail_from, ",".join(envelope.rcpt_tos), login]) + "\n")
        write(n + ".defects", "".join(d + "\n" for d in defects))
        write(n + ".eml", raw)  # last: its presence means the message is complete
        return "250 2.0.0 stored"


def authenticate(server, session, envelope, mechanism, data):
    ok = (isinstance(data, LoginPassword) and data.login.decode() == user
          and data.password.decode() == password)
    return AuthResult(success=ok, handled=False, auth_data=data.login if ok else None)


async def main():
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    handler = Store()
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.bind(("127.0.0.1", 0))
    sock.listen(16)
    loop = asyncio.get_running_loop()
    # The connection is TLS from the first byte, so AUTH needs no STARTTLS.
    server = await loop.create_server(
        lambda: SMTP(handler, hostname="localhost", authenticator=authenticate,
                     auth_required=True, auth_require_tls=False),
        sock=sock, ssl=context)
    print(sock.getsockname()[1], flush=True)
    stop = loop.create_future()
    loop.add_reader(sys.stdin.fileno(), lambda: stop.done() or stop.set_result(None))
    await stop
    server.close()


asyncio.run(main())
