// Ground truth for Java declarations from javac's own parser.
//
//   java corpus/JavaTruth.java ARCHIVE.zip ENTRY...   (entries of a source archive)
//   java corpus/JavaTruth.java FILE.java...
//
// Writes one JSON object a line for each method and constructor declared in a class body:
// {"language": "java", "file", "line", "kind": "function", "category", "text", "names",
// "directions", "types", "throws"}. "text" is the whole declaration, from its first modifier or
// annotation to the end of its body or ";"; "throws" holds the types of its throws clause as
// written. Also, as "kind": "class" with no parameters: each field and enum constant of a class
// body (to its "," or ";"; a last constant to the "}"), the package line, and each annotation
// type (to its "{").

import com.sun.source.tree.CompilationUnitTree;
import com.sun.source.tree.ClassTree;
import com.sun.source.tree.ExpressionTree;
import com.sun.source.tree.MethodTree;
import com.sun.source.tree.Tree;
import com.sun.source.tree.VariableTree;
import com.sun.source.util.JavacTask;
import com.sun.source.util.SourcePositions;
import com.sun.source.util.TreePathScanner;
import com.sun.source.util.Trees;
import java.io.IOException;
import java.io.PrintStream;
import java.net.URI;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.zip.ZipFile;
import javax.tools.JavaCompiler;
import javax.tools.JavaFileObject;
import javax.tools.SimpleJavaFileObject;
import javax.tools.ToolProvider;

public class JavaTruth {
    static final class Source extends SimpleJavaFileObject {
        final String name;
        final String content;

        Source(String name, String content) {
            super(URI.create("string:///" + name.replace('\\', '/')), JavaFileObject.Kind.SOURCE);
            this.name = name;
            this.content = content;
        }

        @Override
        public CharSequence getCharContent(boolean ignoreEncodingErrors) {
            return content;
        }
    }

    public static void main(String[] args) throws IOException {
        List<Source> sources = new ArrayList<>();
        if (args.length > 0 && args[0].endsWith(".zip")) {
            try (ZipFile zip = new ZipFile(args[0])) {
                for (int i = 1; i < args.length; ++i) {
                    var entry = zip.getEntry(args[i]);
                    if (entry == null)
                        throw new IOException(args[0] + " has no " + args[i]);
                    String text = new String(zip.getInputStream(entry).readAllBytes(), StandardCharsets.UTF_8);
                    sources.add(new Source(args[0] + "!/" + args[i], text));
                }
            }
        } else {
            for (String file : args)
                sources.add(new Source(file, Files.readString(Path.of(file))));
        }
        JavaCompiler compiler = ToolProvider.getSystemJavaCompiler();
        PrintStream out = new PrintStream(System.out, false, StandardCharsets.UTF_8);
        for (Source source : sources) {
            // One task a file keeps positions and memory per file.
            JavacTask task = (JavacTask) compiler.getTask(null, null, null, List.of("-proc:none"), null, List.of(source));
            SourcePositions positions = Trees.instance(task).getSourcePositions();
            for (CompilationUnitTree unit : task.parse())
                new Scanner(unit, positions, source, out).scan(unit, null);
        }
        out.flush();
    }

    static final class Scanner extends TreePathScanner<Void, Void> {
        final CompilationUnitTree unit;
        final SourcePositions positions;
        final Source source;
        final PrintStream out;

        Scanner(CompilationUnitTree unit, SourcePositions positions, Source source, PrintStream out) {
            this.unit = unit;
            this.positions = positions;
            this.source = source;
            this.out = out;
        }

        String written(Tree tree) {
            long start = positions.getStartPosition(unit, tree);
            long end = positions.getEndPosition(unit, tree);
            return source.content.substring((int) start, (int) end);
        }

        void member(Tree tree, String name, String category, String text) {
            long start = positions.getStartPosition(unit, tree);
            StringBuilder line = new StringBuilder("{\"language\": \"java\"");
            field(line, "file", quote(source.name));
            field(line, "line", Long.toString(unit.getLineMap().getLineNumber(start)));
            field(line, "name", quote(name));
            field(line, "kind", quote("class"));
            field(line, "category", quote(category));
            field(line, "text", quote(text));
            for (String key : new String[] {"names", "directions", "types", "throws"})
                field(line, key, "[]");
            out.println(line.append('}'));
        }

        // The "," or ";" (or a last enum constant's "}") after the tree, with the blanks before it.
        String terminated(Tree tree, String text) {
            if (text.endsWith(";") || text.endsWith(","))
                return text;
            int end = (int) positions.getEndPosition(unit, tree), j = end;
            while (j < source.content.length() && Character.isWhitespace(source.content.charAt(j)))
                ++j;
            if (j < source.content.length() && ",;}".indexOf(source.content.charAt(j)) >= 0)
                return text + source.content.substring(end, j + 1);
            return text;
        }

        @Override
        public Void visitCompilationUnit(CompilationUnitTree tree, Void unused) {
            if (tree.getPackage() != null)
                member(tree.getPackage(), tree.getPackageName().toString(), "package", written(tree.getPackage()));
            return super.visitCompilationUnit(tree, unused);
        }

        @Override
        public Void visitClass(ClassTree type, Void unused) {
            if (type.getKind() == Tree.Kind.ANNOTATION_TYPE) {
                long start = positions.getStartPosition(unit, type);
                int brace = source.content.indexOf('{', source.content.indexOf("@interface", (int) start));
                member(type, type.getSimpleName().toString(), "annotation type",
                       source.content.substring((int) start, brace + 1));
            }
            return super.visitClass(type, unused);
        }

        // Fields and enum constants; the variables of blocks and initialisers are not members.
        @Override
        public Void visitVariable(VariableTree variable, Void unused) {
            Tree parent = getCurrentPath().getParentPath().getLeaf();
            if (!(parent instanceof ClassTree))
                return null;
            // A record's components stand in its header and are documented by its comment.
            if (parent.getKind() == Tree.Kind.RECORD &&
                !variable.getModifiers().getFlags().contains(javax.lang.model.element.Modifier.STATIC))
                return null;
            String text = written(variable), name = variable.getName().toString();
            boolean constant = text.startsWith(name) &&
                               (text.length() == name.length() || !Character.isJavaIdentifierPart(text.charAt(name.length())));
            member(variable, name, constant ? "enumerator" : "field", terminated(variable, text));
            return null;
        }

        // Bodies are not entered: methods of local and anonymous classes are not what a user
        // documents.
        @Override
        public Void visitMethod(MethodTree method, Void unused) {
            String text = written(method);
            boolean constructor = method.getName().contentEquals("<init>");
            // A record's compact constructor has no parameter list to read: "R {".
            if (constructor && method.getBody() != null) {
                long start = positions.getStartPosition(unit, method);
                long body = positions.getStartPosition(unit, method.getBody());
                if (!source.content.substring((int) start, (int) body).contains("("))
                    return null;
            }
            List<String> names = new ArrayList<>();
            List<String> types = new ArrayList<>();
            List<String> directions = new ArrayList<>();
            for (VariableTree parameter : method.getParameters()) {
                names.add(parameter.getName().toString());
                types.add(written(parameter.getType()));
                directions.add("in");
            }
            List<String> thrown = new ArrayList<>();
            for (ExpressionTree type : method.getThrows())
                thrown.add(written(type).replaceAll("\\s+", ""));
            long start = positions.getStartPosition(unit, method);
            StringBuilder line = new StringBuilder("{\"language\": \"java\"");
            field(line, "file", quote(source.name));
            field(line, "line", Long.toString(unit.getLineMap().getLineNumber(start)));
            field(line, "name", quote(constructor ? "<init>" : method.getName().toString()));
            field(line, "kind", quote("function"));
            field(line, "category", quote("function"));
            field(line, "text", quote(text));
            field(line, "names", list(names));
            field(line, "directions", list(directions));
            field(line, "types", list(types));
            field(line, "throws", list(thrown));
            out.println(line.append('}'));
            return null;
        }

        static void field(StringBuilder line, String key, String value) {
            line.append(", \"").append(key).append("\": ").append(value);
        }

        static String list(List<String> items) {
            StringBuilder s = new StringBuilder("[");
            for (int i = 0; i < items.size(); ++i)
                s.append(i == 0 ? "" : ", ").append(quote(items.get(i)));
            return s.append(']').toString();
        }

        static String quote(String text) {
            StringBuilder s = new StringBuilder("\"");
            for (int i = 0; i < text.length(); ++i) {
                char c = text.charAt(i);
                switch (c) {
                case '"' -> s.append("\\\"");
                case '\\' -> s.append("\\\\");
                case '\n' -> s.append("\\n");
                case '\r' -> s.append("\\r");
                case '\t' -> s.append("\\t");
                default -> {
                    if (c < 0x20)
                        s.append(String.format("\\u%04x", (int) c));
                    else
                        s.append(c);
                }
                }
            }
            return s.append('"').toString();
        }
    }
}
