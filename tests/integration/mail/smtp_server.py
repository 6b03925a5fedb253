"""SMTP server for the mail tests: implicit TLS on 127.0.0.1, AUTH required.

    smtp_server.py FOLDER USER PASSWORD

Makes two self-signed certificates in FOLDER, good.pem for 127.0.0.1 and
other.pem for another host, listens with each on a port of its own and then
writes "GOOD OTHER" (the ports) to FOLDER/ports. Every message accepted is
stored as N.eml (as received) and decoded beside it: N.headers ("Name: value"
lines), N.body (the text part), N.attachment and N.filename, N.envelope
(sender, recipients, login) and N.defects (what the parser found wrong).
"""
import asyncio, email, email.policy, logging, os, ssl, subprocess, sys, warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

folder, user, password = sys.argv[1:4]
# AUTH without STARTTLS is what implicit TLS means here; no need to warn.
warnings.simplefilter("ignore")
logging.getLogger("mail.log").setLevel(logging.ERROR)


def write(name, data):
    path = os.path.join(folder, name)
    with open(path + ".part", "wb") as f:
        f.write(data.encode() if isinstance(data, str) else data)
    os.rename(path + ".part", path)


class Store:
    count = 0

    async def handle_DATA(self, server, session, envelope):
        Store.count += 1
        n = str(Store.count)
        msg = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
        defects = [type(d).__name__ for d in msg.defects]
        lines = [f"{name}: {value}" for name in ("Date", "From", "To", "Cc", "Bcc", "Subject",
                 "Message-ID", "MIME-Version", "Content-Type") for value in msg.get_all(name) or []]
        body = msg.get_body(preferencelist=("plain",))
        if body is not None:
            defects += [type(d).__name__ for d in body.defects]
            lines.append(f"Body-Type: {body.get_content_type()}; charset={body.get_content_charset()}")
            write(n + ".body", body.get_content())
        for part in msg.iter_attachments():
            defects += [type(d).__name__ for d in part.defects]
            write(n + ".filename", part.get_filename() or "")
            write(n + ".attachment", part.get_payload(decode=True))
        write(n + ".headers", "\n".join(lines) + "\n")
        login = session.auth_data.decode() if session.auth_data else ""
        write(n + ".envelope", "\n".join([envelope.mail_from, ",".join(envelope.rcpt_tos), login]) + "\n")
        write(n + ".defects", "".join(d + "\n" for d in defects))
        write(n + ".eml", envelope.original_content)  # last: the message is complete
        return "250 2.0.0 stored"


def authenticate(server, session, envelope, mechanism, data):
    ok = isinstance(data, LoginPassword) and (data.login.decode(), data.password.decode()) == (user, password)
    return AuthResult(success=ok, handled=False, auth_data=data.login if ok else None)


async def main():
    ports = []
    for name, san in (("good", "IP:127.0.0.1"), ("other", "DNS:elsewhere.example")):
        cert, key = os.path.join(folder, name + ".pem"), os.path.join(folder, name + ".key")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-days", "2", "-subj", "/CN=belvora test", "-addext", "subjectAltName=" + san,
                        "-keyout", key, "-out", cert], check=True, capture_output=True)
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(cert, key)
        # The connection is TLS from the first byte, so AUTH needs no STARTTLS.
        server = await asyncio.get_running_loop().create_server(
            lambda: SMTP(Store(), hostname="localhost", authenticator=authenticate,
                         auth_required=True, auth_require_tls=False),
            host="127.0.0.1", port=0, ssl=context)
        ports.append(str(server.sockets[0].getsockname()[1]))
    write("ports", " ".join(ports))
    parent = os.getppid()
    while os.getppid() == parent:  # ends with the test, also when that crashes
        await asyncio.sleep(0.2)


asyncio.run(main())
