module shapes;

struct Box
{
    double width, height;

    /+++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++
     +	Scales the box.
     +	
     +	Both sides grow by the same factor.
     +	
     +	Params:
     +		factor	= how much to grow
     +		keep	= unused now
     +/
    void scale(double factor, ref int count)
    {
        width *= factor;
        height *= factor;
        ++count;
    }
}
