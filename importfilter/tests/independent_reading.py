# An independent reading of a map file (ElementTree and zipfile, not the importers): the
# number of topics and every plain title under its parent's, compared with what
# `vantorel import --json` (on standard input) made of it. Prints what was lost; exit 1 then.
#   python3 independent_reading.py MAP < description.json
import json,sys,zipfile,collections
import xml.etree.ElementTree as ET
def local(tag): return tag.rsplit('}',1)[-1]
def json_pairs(d):
    out=collections.Counter()
    def walk(t,parent):
        title=t.get('text','')
        out[(parent,title)]+=1
        for k in ('children','floating'):
            for c in t.get(k,[]): walk(c,title)
    for doc in d['documents']:
        walk(doc['topic'],None)
        for f in doc.get('floating',[]): walk(f,doc['topic'].get('text',''))
    return out
def file_pairs(path):
    out=collections.Counter()
    def norm(s): return s.replace('\r','')
    if path.endswith('.mm'):
        def title(e):
            t=e.get('TEXT')
            return None if t is None or t.lstrip().lower().startswith('<html') else norm(t)
        def walk(e,parent):
            t=title(e)
            if t is not None and (parent is None or parent[0]): out[(parent[1] if parent else None,t)]+=1
            for c in e:
                if c.tag=='node': walk(c,(t is not None,t))
        for n in ET.parse(path).getroot():
            if n.tag=='node': walk(n,None)
        return out
    z=zipfile.ZipFile(path)
    if path.endswith('.mmap'):
        root=ET.fromstring(z.read('Document.xml'))
        def ttl(e):
            for c in e:
                if local(c.tag)=='Text': return norm(c.get('PlainText',''))
            return None
        def walk(e,parent):
            t=ttl(e)
            if t is not None and parent is not False: out[(parent,t)]+=1
            for c in e:
                if local(c.tag)=='SubTopics':
                    for s in c:
                        if local(s.tag)=='Topic': walk(s,t if t is not None else False)
        for one in root:
            if local(one.tag)=='OneTopic':
                for t in one:
                    if local(t.tag)=='Topic': walk(t,None)
        return out
    root=ET.fromstring(z.read('content.xml'))
    def ttl(e):
        for c in e:
            if local(c.tag)=='title': return norm(c.text or '')
        return ''
    def walk(e,parent):
        t=ttl(e)
        out[(parent,t)]+=1
        for c in e:
            if local(c.tag)=='children':
                for ts in c:
                    if local(ts.tag)=='topics' and ts.get('type') in ('attached',None):
                        for s in ts:
                            if local(s.tag)=='topic': walk(s,t)
    for sheet in root:
        for c in sheet:
            if local(c.tag)=='topic': walk(c,None); break
    return out
def json_count(d):
    n=0
    def walk(t):
        nonlocal n
        n+=1
        for k in ('children','floating'):
            for c in t.get(k,[]): walk(c)
    for doc in d['documents']:
        walk(doc['topic'])
        for f in doc.get('floating',[]): walk(f)
    return n

def file_count(path):
    if path.endswith('.mm'):
        return sum(1 for e in ET.parse(path).getroot().iter() if e.tag=='node')
    z=zipfile.ZipFile(path)
    if path.endswith('.mmap'):
        return sum(1 for e in ET.fromstring(z.read('Document.xml')).iter() if local(e.tag)=='Topic')
    return sum(1 for e in ET.fromstring(z.read('content.xml')).iter() if local(e.tag)=='topic')

path=sys.argv[1]
d=json.load(sys.stdin)
problems=[]
if json_count(d)!=file_count(path):
    problems.append('topics: %d imported, %d in the file' % (json_count(d), file_count(path)))
for (parent,title),n in (file_pairs(path)-json_pairs(d)).items():
    problems.append('lost: %r under %r (%d)' % (title,parent,n))
if problems: print('\n'.join(problems[:10]))
sys.exit(1 if problems else 0)
