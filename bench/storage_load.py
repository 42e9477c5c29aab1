"""Timed single-file requests for bench/storage_bench.sh: adds of new files, gets and
status queries of one file, each on one keep-alive connection, one request at a time.

    python3 storage_load.py PORT PROJECT FOLDER COUNT

Prints the mean milliseconds of each kind of request; every answer must have status 0.
"""
import http.client
import io
import sys
import time
import zipfile

BOUNDARY = "AaB03x"
CREDENTIALS = [("username", "ann"), ("password", "pw"), ("organization", "bench")]


def form(fields, upload=None):
    body = io.BytesIO()
    for name, value in fields:
        body.write(f"--{BOUNDARY}\r\nContent-Disposition: form-data; "
                   f'name="{name}"\r\n\r\n{value}\r\n'.encode())
    if upload:
        filename, data = upload
        body.write(f"--{BOUNDARY}\r\nContent-Disposition: form-data; name=\"userfile\"; "
                   f'filename="{filename}"\r\nContent-Type: application/x-octet-stream'
                   "\r\n\r\n".encode())
        body.write(data + b"\r\n")
    body.write(f"--{BOUNDARY}--\r\n".encode())
    return body.getvalue()


def archive(name, text):
    packed = io.BytesIO()
    with zipfile.ZipFile(packed, "w", zipfile.ZIP_DEFLATED) as zip_file:
        zip_file.writestr(name, text)
    return packed.getvalue()


def timed(connection, script, body):
    start = time.perf_counter()
    connection.request("POST", "/" + script, body,
                       {"Content-Type": f"multipart/form-data, boundary={BOUNDARY}"})
    answer = connection.getresponse().read()
    elapsed = time.perf_counter() - start
    if b"\nstatus:0\n" not in answer:
        sys.exit(f"{script} refused: {answer[:200]!r}")
    return elapsed


def main():
    port, project, folder, count = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    who = CREDENTIALS + [("project", project)]
    connection = http.client.HTTPConnection("127.0.0.1", int(port))
    stamp = time.time_ns()
    names = [f"bench-{stamp}-{i}.txt" for i in range(count)]
    total = {"add": 0.0, "get": 0.0, "status": 0.0}
    for name in names:
        fields = who + [("viewpath", folder), ("checkin", "N"), ("description", "bench")]
        total["add"] += timed(connection, "add_files_from_cli.php",
                              form(fields, (name, archive(name, f"content of {name}\n"))))
    for name in names:
        fields = who + [("recurse", "N"), ("checkout", "N"), ("viewpath", f"{folder}/{name}"),
                        ("description", "")]
        total["get"] += timed(connection, "get_files_from_cli.php", form(fields))
    for name in names:
        fields = who + [("filepaths", f"{folder}\\{name}")]
        total["status"] += timed(connection, "query_info_multiple_from_cli_a.php", form(fields))
    print(" ".join(f"{kind}={seconds * 1000 / count:.2f}ms" for kind, seconds in total.items()))


if __name__ == "__main__":
    main()
