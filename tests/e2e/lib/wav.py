# The capture check of the end-to-end scripts: the WAV file a capturing sink
# wrote holds MIN (to MAX) seconds of sound that is not silence.
#   python3 wav.py FILE MIN [MAX]
import math
import struct
import sys

path, least = sys.argv[1], float(sys.argv[2])
most = float(sys.argv[3]) if len(sys.argv) > 3 else None
try:
    data = open(path, 'rb').read()
except OSError as e:
    raise SystemExit('no sound captured: %s' % e)
if data[:4] != b'RIFF' or data[8:12] != b'WAVE':
    raise SystemExit('not a WAV file')
pos, fmt, pcm = 12, None, None
while pos + 8 <= len(data):
    cid, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
    if cid == b'fmt ':
        fmt = struct.unpack('<HHIIHH', data[pos + 8:pos + 24])
    if cid == b'data':
        pcm = data[pos + 8:]  # the rest, whatever the header says (the sink may not have closed it)
        break
    pos += 8 + size + (size & 1)
if fmt is None or pcm is None:
    raise SystemExit('no format or no data in the capture')
tag, channels, rate, _, align, bits = fmt
if tag == 3 and bits == 32:
    samples, scale = struct.unpack('<%df' % (len(pcm) // 4), pcm[:len(pcm) // 4 * 4]), 1.0
elif tag == 1 and bits == 16:
    samples, scale = struct.unpack('<%dh' % (len(pcm) // 2), pcm[:len(pcm) // 2 * 2]), 32768.0
else:
    raise SystemExit('unexpected sample format %s/%s' % (tag, bits))
seconds = len(pcm) // align / rate
rms = math.sqrt(sum((s / scale) ** 2 for s in samples) / max(1, len(samples)))
print('capture: %.2f s, rms %.3f' % (seconds, rms))
if seconds < least or (most is not None and seconds > most):
    raise SystemExit('unexpected length %.2f s' % seconds)
if rms <= 0.1:
    raise SystemExit('silent capture (rms %.4f)' % rms)
