<map version="1.0.1"><node TEXT="only the root" FOLDED="true"/></map>
