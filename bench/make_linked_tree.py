#!/usr/bin/env python3
# Generates a home-like tree for the scan benchmarks: ROOT FILES FOLDERS. One subfolder holds
# most of it (an object store with 256 fan-out folders, and checkouts made of extra names of its
# files, as user application stores are built); the rest is ordinary folders, deep chains and a
# few flat folders, with sparse and preallocated files, 3,000 symbolic links, 200 extra names of
# files placed in other folders, and 20 folders without permissions (the caller restores them
# before removing the tree).
import os, random, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
random.seed(23)
made = []
def mk(*parts):
    d = os.path.join(root, *parts)
    os.makedirs(d, exist_ok=True)
    made.append(d)
    return d
# A dominant object store: 256 fan-out folders of content-named files, and checkouts made of
# extra names of those files (as user application stores are built).
store = [mk("big", "repo", "objects", "%02x" % i) for i in range(256)]
checkouts = []
for c in range(40):
    for s in range(max(1, folders // 2 // 40)):
        checkouts.append(mk("big", "checkouts", "app%02d" % c, "files", "s%03d" % (s // 16), "d%02d" % (s % 16)))
# The rest of a home: ordinary folders, deep chains, a few flat folders.
homes = []
for t in range(12):
    for m in range(max(1, (folders // 2 - 600) // 12 // 20)):
        for l in range(20):
            homes.append(mk("home%02d" % t, "m%03d" % m, "l%02d" % l))
for c in range(20):
    homes.append(mk("deep%02d" % c, *["d"] * 40))
flat = [mk("flat%d" % f) for f in range(3)]
def size():
    x = random.random()
    return random.randint(0, 4096) if x < 0.6 else random.randint(4096, 65536) if x < 0.97 else random.randint(65536, 2 << 20)
def write(path, n, sparse=False):
    fd = os.open(path, os.O_WRONLY | os.O_CREAT, 0o644)
    if n:
        os.ftruncate(fd, n) if sparse else os.posix_fallocate(fd, 0, n)
    os.close(fd)
names = []
objects = []
for i in range(files):
    x = random.random()
    if x < 0.45:  # the store
        p = os.path.join(random.choice(store), "%038x" % random.getrandbits(152))
        objects.append(p)
    elif x < 0.60:
        p = os.path.join(random.choice(checkouts), "c%06d" % i)
    elif x < 0.63:
        p = os.path.join(random.choice(flat), "f%06d" % i)
    else:
        p = os.path.join(random.choice(homes), "f%06d" % i)
    write(p, size(), sparse=random.random() < 0.05)
    names.append(p)
# Checkouts share a quarter of the store's files.
links = 0
for p in random.sample(objects, len(objects) // 4):
    os.link(p, os.path.join(random.choice(checkouts), "h%07d" % links))
    links += 1
# 200 extra names in other folders, across the whole tree.
for n in range(200):
    os.link(random.choice(names), os.path.join(random.choice(homes + checkouts), "x%03d" % n))
    links += 1
for n in range(3000):
    os.symlink(random.choice(names), os.path.join(random.choice(homes), "s%04d" % n))
for n in range(20):
    d = random.choice(homes)
    os.chmod(d, 0)
print("tree linked: %d files, %d extra names, 3000 symbolic links, %d folders" % (files, links, len(made)))
